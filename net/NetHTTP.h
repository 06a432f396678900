#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "net/NetBuffer.h"
#include "net/NetExceptions.h"
#include "net/NetHeaderInfo.h"
#include "net/NetTCPClient.h"
#include "net/NetUrl.h"

namespace zerka {

enum TNetHTTPProtocolVersion { pv1_0, pv1_1 };

// Asked before a redirect is followed or refused; dest may be changed, Handled decides.
using TNetHTTPOnRedirectEvent =
    std::function<void(TComponent* Sender, std::string& dest, int NumRedirect, bool& Handled)>;

// A request this client cannot make (a secure channel, a proxy).
class ENetHTTPUnsupported : public ENetException {
 public:
  using ENetException::ENetException;
};

// HTTP/1.1 requests over one stream connection, kept open between requests while the server
// allows it.
//
// An answer is read under one deadline of ReadTimeout from its first byte to the end of its
// body, its lines are bounded by MaxLineLength and MaxHeaderLines, and its body by
// MaxStreamBytes whatever length the server announces.
class TNetHTTP : public TNetTCPClient {
 public:
  explicit TNetHTTP(TComponent* AOwner = nullptr);

  // GETs url and returns the body's bytes unchanged.
  std::string GetPage(const std::string& url);
  void GetToStream(const std::string& url, TNetMemoryStream& stream);
  // One request ("GET" or "HEAD") and its answer, following redirects when asked to. An
  // answer that is not a success raises ENetProtocolReplyError after its body was read.
  void PerformRequest(const std::string& method, const std::string& url, TNetMemoryStream& stream);

  TNetHeaderInfo Request;
  TNetHeaderInfo ResponseInfo;
  TNetHTTPProtocolVersion ProtocolVersion = pv1_1;
  bool HandleRedirects = false;
  int RedirectMaximum = 15;
  int RedirectsFollowed = 0;
  TNetHTTPOnRedirectEvent OnRedirect;
  int StatusCode = 0;
  std::string StatusText;
  std::string HostHeaderValue;
  // Most header lines one answer may carry.
  int MaxHeaderLines = 100;

 private:
  // How the answer's Content-Length header reads.
  struct TAnnouncedLength {
    enum { Absent, NotANumber, Negative, Given } Kind = Absent;
    std::int64_t Value = 0;
  };

  void ChooseConnection(const TNetUrlParts& url);
  // Closes a kept connection the server has given up or that holds unrequested bytes.
  void DropStaleConnection();
  void SendRequestHead(const std::string& method, const std::string& target);
  // Status line, headers and body; true when the server speaks HTTP/1.0.
  bool ReceiveAnswer(const std::string& method, TNetMemoryStream& stream);
  // One line of the answer; a close before its end raises ENetConnClosedGracefully.
  std::string ReceiveAnswerLine();
  bool ReceiveStatusLine();
  void ReceiveHeaders();
  void ReadBody(const std::string& method, TNetMemoryStream& stream);
  void ReadChunkedBody(TNetMemoryStream& stream);
  // Reads lines up to an empty one, at most MaxHeaderLines of them.
  void ReceiveHeaderLines(TNetHeaderList& lines);
  void EndRequest(bool serverIs1_0);

  TAnnouncedLength announcedLength_;
};

}  // namespace zerka
