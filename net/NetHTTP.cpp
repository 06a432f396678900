#include "net/NetHTTP.h"

#include <climits>
#include <optional>

#include "base/Exception.h"
#include "base/Latin1.h"
#include "net/NetBase64.h"
#include "net/NetTypes.h"

namespace zerka {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Decimal digits to a number that saturates instead of wrapping: an absurd length stays
// absurd and is refused by the size ceiling.
std::int64_t SaturatedDecimal(const std::string& digits) {
  std::int64_t value = 0;
  for (const char c : digits) {
    if (value > (INT64_MAX - 9) / 10) return INT64_MAX;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool AllDecimal(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A chunk size line's number: nothing for a text that is no hexadecimal number; a number
// too large for 64 bits is an error rather than a wrapped value.
std::optional<std::uint64_t> ChunkSize(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    if (value > (UINT64_MAX >> 4)) {
      throw ENetProtocolLimitError("Der Server sendet eine ungültige Blockgröße."_l1);
    }
    value = (value << 4) | static_cast<std::uint64_t>(digit);
  }
  return value;
}

// Sets the shared read deadline for one answer and clears it however the reading ends.
class TAnswerDeadline {
 public:
  explicit TAnswerDeadline(TNetTCPConnection& connection) : connection_(connection) {
    if (connection.ReadTimeout >= 0) {
      connection.SharedReadDeadline = connection.DeadlineAfter(connection.ReadTimeout);
    }
  }
  ~TAnswerDeadline() { connection_.SharedReadDeadline.reset(); }
  TAnswerDeadline(const TAnswerDeadline&) = delete;
  TAnswerDeadline& operator=(const TAnswerDeadline&) = delete;

 private:
  TNetTCPConnection& connection_;
};

}  // namespace

TNetHTTP::TNetHTTP(TComponent* AOwner) : TNetTCPClient(AOwner) { Port = 80; }

std::string TNetHTTP::GetPage(const std::string& url) {
  TNetMemoryStream stream;
  GetToStream(url, stream);
  return stream.Data();
}

void TNetHTTP::GetToStream(const std::string& url, TNetMemoryStream& stream) {
  PerformRequest("GET", url, stream);
}

void TNetHTTP::PerformRequest(const std::string& method, const std::string& url,
                              TNetMemoryStream& stream) {
  ++RedirectsFollowed;
  const TNetUrlParts parts = SplitUrl(url);
  if (SameTextIgnoringCase(parts.Protocol, "HTTPS")) {
    throw ENetHTTPUnsupported("HTTPS-Verbindungen werden nicht unterstützt."_l1);
  }
  if (!Request.ProxyServer.empty()) {
    throw ENetHTTPUnsupported("Verbindungen über einen Proxy werden nicht unterstützt."_l1);
  }
  ChooseConnection(parts);
  DropStaleConnection();
  if (!IsOpen()) OpenConnection();
  Request.ContentLength = 0;
  bool serverIs1_0 = false;
  try {
    SendRequestHead(method, parts.Path + parts.Document);
    serverIs1_0 = ReceiveAnswer(method, stream);
  } catch (...) {
    // An exchange cut short (time-out, limit, reset) leaves the connection out of step: the
    // rest of this answer would be taken for the answer to the next request.
    CloseConnection();
    throw;
  }
  const int statusClass = StatusCode / 100;
  if ((statusClass != 3 || StatusCode == 304) && ResponseInfo.Location.empty()) {
    if (statusClass != 2) {
      // An interim answer is followed by the real one, which would be taken for the answer
      // to the next request: the connection is out of step.
      if (statusClass == 1) CloseConnection();
      throw ENetProtocolReplyError(StatusCode, StatusText);
    }
  } else {
    std::string dest = ResponseInfo.Location;
    if (HandleRedirects && RedirectsFollowed < RedirectMaximum) {
      stream.SetPosition(0);
      bool handled = true;
      if (OnRedirect) OnRedirect(this, dest, RedirectsFollowed, handled);
      if (handled) {
        if (ProtocolVersion == pv1_0 || serverIs1_0) CloseConnection();
        PerformRequest(method, dest, stream);
        return;
      }
    } else {
      // A redirect not followed is a failure unless the handler accepts the answer as it is.
      bool handled = false;
      if (OnRedirect) OnRedirect(this, dest, RedirectsFollowed, handled);
      if (!handled) throw ENetProtocolReplyError(StatusCode, StatusText);
      ResponseInfo.Location = dest;
    }
  }
  EndRequest(serverIs1_0);
}

void TNetHTTP::ChooseConnection(const TNetUrlParts& url) {
  const int urlPort = url.Port.empty() ? -1 : StrToIntDef(url.Port, -1);
  // A URL with a host but without a port always counts as another port: it means 80.
  const bool portless = !url.Host.empty() && urlPort == -1;
  if (url.Host.empty()) {
    // A URL without a host (a relative redirect) stays with the server at hand.
    if (urlPort != -1) Port = urlPort;
  } else {
    Host = url.Host;
    Port = portless ? 80 : urlPort;
  }
  // A kept connection is compared with where it really leads, not with Host and Port, which
  // the caller may have pointed at another server before this request; the request and its
  // credentials must not go to the old one.
  if (IsOpen() && (portless || !SameTextIgnoringCase(Host, ConnectedHost()) ||
                   Port != ConnectedPort())) {
    CloseConnection();
  }
  HostHeaderValue = Host + ":" + std::to_string(Port);
}

void TNetHTTP::DropStaleConnection() {
  if (!IsOpen()) return;
  // A kept connection may have been closed by the server while it was idle (it does so when
  // it restarts); a request sent on it would fail without reaching the server.
  try {
    ProbeClosed(false);
  } catch (const ENetSocketError&) {
    CloseConnection();
  }
  // Bytes nobody asked for mean the connection is out of step.
  if (!InputQueue.Empty()) CloseConnection();
}

void TNetHTTP::SendRequestHead(const std::string& method, const std::string& target) {
  SendLine(method + " " + target + " HTTP/" + (ProtocolVersion == pv1_0 ? "1.0" : "1.1"));
  SendLine("Host: " + HostHeaderValue);
  const auto sendIfSet = [this](const char* prefix, const std::string& value) {
    if (!value.empty()) SendLine(prefix + value);
  };
  sendIfSet("Accept: ", Request.Accept);
  sendIfSet("Accept-Charset: ", Request.AcceptCharSet);
  sendIfSet("Accept-Encoding: ", Request.AcceptEncoding);
  sendIfSet("Accept-Language: ", Request.AcceptLanguage);
  sendIfSet("From: ", Request.From);
  sendIfSet("Referer: ", Request.Referer);
  sendIfSet("User-Agent: ", Request.UserAgent);
  sendIfSet("Connection: ", Request.Connection);
  sendIfSet("Content-Version: ", Request.ContentVersion);
  sendIfSet("Content-Encoding: ", Request.ContentEncoding);
  sendIfSet("Content-Language: ", Request.ContentLanguage);
  sendIfSet("Content-Type: ", Request.ContentType);
  if (Request.ContentRangeStart != 0 || Request.ContentRangeEnd != 0) {
    SendLine("Range: bytes=" + std::to_string(Request.ContentRangeStart) + "-" +
             (Request.ContentRangeEnd != 0 ? std::to_string(Request.ContentRangeEnd) : ""));
  }
  if (!Request.Username.empty()) {
    SendLine("Authorization: Basic " + EncodeBase64(Request.Username + ":" + Request.Password));
  }
  for (const auto& line : Request.ExtraHeaders.Lines()) SendLine(line);
  SendLine("");
}

bool TNetHTTP::ReceiveAnswer(const std::string& method, TNetMemoryStream& stream) {
  TAnswerDeadline deadline(*this);
  const bool serverIs1_0 = ReceiveStatusLine();
  ReceiveHeaders();
  ReadBody(method, stream);
  return serverIs1_0;
}

std::string TNetHTTP::ReceiveAnswerLine() {
  for (;;) {
    if (auto line = ReceiveTerminatedLine("", TimeoutInfinite)) return *line;
    // A close before the line ends cuts the answer short; it is no empty line ending the
    // headers and no end of a chunk.
    if (!IsOpen()) throw ENetConnClosedGracefully();
  }
}

bool TNetHTTP::ReceiveStatusLine() {
  const std::string line = ReceiveAnswerLine();
  const bool serverIs1_0 = line.size() >= 8 && SameTextIgnoringCase(line.substr(5, 3), "1.0");
  const auto blank = line.find(' ');
  StatusText = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  StatusCode = StrToInt(StatusText.substr(0, StatusText.find(' ')));
  return serverIs1_0;
}

void TNetHTTP::ReceiveHeaderLines(TNetHeaderList& lines) {
  for (;;) {
    std::string line = ReceiveAnswerLine();
    if (line.empty()) return;
    if (lines.Count() >= MaxHeaderLines) {
      throw ENetProtocolLimitError("Der Server sendet zu viele Kopfzeilen.");
    }
    lines.Add(std::move(line));
  }
}

void TNetHTTP::ReceiveHeaders() {
  TNetHeaderList headers;
  ReceiveHeaderLines(headers);
  const auto take = [&headers](const char* name) {
    std::string value = headers.Values(name);
    headers.Remove(name);
    return value;
  };
  ResponseInfo.Location = take("Location");
  ResponseInfo.Server = take("Server");
  ResponseInfo.Connection = take("Connection");
  ResponseInfo.ContentVersion = take("Content-Version");
  ResponseInfo.ContentEncoding = take("Content-Encoding");
  ResponseInfo.ContentLanguage = take("Content-Language");
  ResponseInfo.ContentType = take("Content-Type");

  const bool lengthGiven = headers.IndexOfName("Content-Length") >= 0;
  const std::string length = Trimmed(take("Content-Length"));
  announcedLength_ = {};
  if (lengthGiven) {
    if (AllDecimal(length)) {
      announcedLength_ = {TAnnouncedLength::Given, SaturatedDecimal(length)};
    } else if (length.size() > 1 && length[0] == '-' && AllDecimal(length.substr(1))) {
      announcedLength_.Kind = TAnnouncedLength::Negative;
    } else {
      announcedLength_.Kind = TAnnouncedLength::NotANumber;
    }
  }
  const bool numeric = announcedLength_.Kind == TAnnouncedLength::Given ||
                       announcedLength_.Kind == TAnnouncedLength::Negative;
  ResponseInfo.ContentLength = numeric ? StrToIntDef(length, 0) : 0;

  if (headers.IndexOfName("Content-Range") >= 0) {
    // "bytes 0-499/1234"
    std::string range = Trimmed(take("Content-Range"));
    if (const auto blank = range.find(' '); blank != std::string::npos) range.erase(0, blank + 1);
    const auto dash = range.find('-');
    const auto slash = range.find('/', dash == std::string::npos ? 0 : dash);
    const std::string first = range.substr(0, dash);
    const std::string last =
        dash == std::string::npos ? std::string() : range.substr(dash + 1, slash - dash - 1);
    const bool readable = AllDecimal(first) && AllDecimal(last);
    ResponseInfo.ContentRangeStart = readable ? SaturatedDecimal(first) : 0;
    ResponseInfo.ContentRangeEnd = readable ? SaturatedDecimal(last) : 0;
  }
  ResponseInfo.Date = HttpDateToDateTime(take("Date"));
  ResponseInfo.LastModified = HttpDateToDateTime(take("Last-Modified"));
  ResponseInfo.Expires = HttpDateToDateTime(take("Expires"));
  ResponseInfo.ProxyAuthenticate = take("Proxy-Authenticate");
  ResponseInfo.ExtraHeaders = std::move(headers);
}

void TNetHTTP::ReadBody(const std::string& method, TNetMemoryStream& stream) {
  // These answers never carry a body, whatever their headers announce.
  const bool noBody = method == "HEAD" || StatusCode / 100 == 1 || StatusCode == 204 ||
                      StatusCode == 304;
  if (!noBody) {
    const bool chunked =
        LowerAscii(ResponseInfo.ExtraHeaders.Values("Transfer-Encoding")).find("chunked") !=
        std::string::npos;
    if (announcedLength_.Kind == TAnnouncedLength::Negative) {
      throw ENetProtocolLimitError("Der Server sendet eine negative Länge der Antwort."_l1);
    } else if (announcedLength_.Kind == TAnnouncedLength::Given) {
      // The stream client refuses a length above its ceiling before reading anything.
      if (announcedLength_.Value > 0) ReceiveToStream(stream, announcedLength_.Value, false);
    } else if (chunked) {
      ReadChunkedBody(stream);
    } else {
      ReceiveToStream(stream, 0, true);
    }
  }
  if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
}

void TNetHTTP::ReadChunkedBody(TNetMemoryStream& stream) {
  std::uint64_t total = 0;
  for (;;) {
    const std::string line = ReceiveAnswerLine();
    const std::string sizeText = line.substr(0, line.find_first_of(" \t;"));
    const std::uint64_t size = ChunkSize(sizeText).value_or(0);
    if (size == 0) break;
    if (size > MaxStreamBytes - total) {
      throw ENetProtocolLimitError("Die Antwort des Servers ist zu groß."_l1);
    }
    ReceiveToStream(stream, static_cast<std::int64_t>(size), false);
    total += size;
    ReceiveAnswerLine();
  }
  TNetHeaderList trailer;
  ReceiveHeaderLines(trailer);
}

void TNetHTTP::EndRequest(bool serverIs1_0) {
  if (ProtocolVersion == pv1_0 || serverIs1_0) {
    CloseConnection();
  } else if (SameTextIgnoringCase(Trimmed(ResponseInfo.Connection), "CLOSE") && IsOpen()) {
    CloseConnection();
  } else {
    ProbeClosed(false);
  }
  RedirectsFollowed = 0;
}

}  // namespace zerka
