#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ScriptedPeer.h"
#include "base/Exception.h"
#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetHTTP.h"

namespace zerka {
namespace {

using test::ScriptedPeer;
using Then = ScriptedPeer::Then;
using Clock = std::chrono::steady_clock;

const std::string Ok12 = "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nhello world!";

std::string UrlOf(const ScriptedPeer& peer, const std::string& path = "/") {
  return "http://127.0.0.1:" + std::to_string(peer.Port()) + path;
}

std::string StandardHead(const ScriptedPeer& peer, const std::string& target,
                         const std::string& extraLines = "") {
  return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) +
         "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Zerka2 Remote)\r\n" +
         extraLines + "\r\n";
}

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The reply error raised by a GET, or a failed expectation when there is none.
ENetProtocolReplyError ReplyErrorOf(TNetHTTP& http, const std::string& url) {
  try {
    http.GetPage(url);
  } catch (const ENetProtocolReplyError& error) {
    return error;
  }
  ADD_FAILURE() << "no ENetProtocolReplyError for " << url;
  return ENetProtocolReplyError(0, "");
}

class HttpTest : public ::testing::Test {
 protected:
  HttpTest() { http.ReadTimeout = 2000; }
  TNetHTTP http;
};

TEST_F(HttpTest, DefaultsOfAFreshClient) {
  TNetHTTP fresh;
  EXPECT_EQ(fresh.Port, 80);
  EXPECT_EQ(fresh.ProtocolVersion, pv1_1);
  EXPECT_FALSE(fresh.HandleRedirects);
  EXPECT_EQ(fresh.RedirectMaximum, 15);
  EXPECT_EQ(fresh.Request.Accept, "text/html, */*");
  EXPECT_EQ(fresh.ResponseInfo.UserAgent, "Mozilla/3.0 (compatible; Zerka2 Remote)");
}

TEST_F(HttpTest, RequestHeadWithUserNameAndEmptyPassword) {
  ScriptedPeer peer({{Ok12}});
  http.Request.Username = "admin";
  http.Request.Password = "";
  EXPECT_EQ(http.GetPage(UrlOf(peer, "/zerka-admin/admin/?Restart=true#frag")), "hello world!");
  const auto requests = peer.Requests(1);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Head, StandardHead(peer, "/zerka-admin/admin/?Restart=true",
                                           "Authorization: Basic YWRtaW46\r\n"));
  EXPECT_EQ(http.HostHeaderValue, "127.0.0.1:" + std::to_string(peer.Port()));
}

TEST_F(HttpTest, RequestHeadWithoutUserNameAndWithVersion1_0) {
  ScriptedPeer peer({{Ok12}, {Ok12}});
  http.GetPage(UrlOf(peer, "/a"));
  http.ProtocolVersion = pv1_0;
  http.Request.Password = "ignored";
  http.GetPage(UrlOf(peer, "/b"));
  const auto requests = peer.Requests(2);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Head, StandardHead(peer, "/a"));
  std::string head10 = StandardHead(peer, "/b");
  head10.replace(head10.find("HTTP/1.1"), 8, "HTTP/1.0");
  EXPECT_EQ(requests[1].Head, head10);
  EXPECT_FALSE(http.IsOpen());  // a 1.0 request ends with the close
}

TEST_F(HttpTest, LengthDelimitedAnswerKeepsTheConnectionForTheNextRequest) {
  ScriptedPeer peer({{Ok12}, {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc"}});
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello world!");
  EXPECT_TRUE(http.IsOpen());
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "abc");
  const auto requests = peer.Requests(2);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].Connection, 0);
  EXPECT_EQ(http.StatusCode, 200);
  EXPECT_EQ(http.StatusText, "200 OK");
  EXPECT_EQ(http.ResponseInfo.ContentLength, 3);
}

TEST_F(HttpTest, Http1_0AnswerIsReadToTheCloseAndNotReused) {
  ScriptedPeer peer({{"HTTP/1.0 200 OK\r\nServer: old\r\n\r\nuntil the end", Then::Close},
                     {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nokEXTRA", Then::Hold}});
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "until the end");
  EXPECT_FALSE(http.IsOpen());
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "ok");  // the length is honoured, then closed
  EXPECT_FALSE(http.IsOpen());
  EXPECT_TRUE(peer.WaitClientClosed(1));
  EXPECT_EQ(peer.Requests(2).back().Connection, 1);
}

TEST_F(HttpTest, ConnectionCloseInAnyLetterCaseClosesAfterTheBody) {
  ScriptedPeer peer({{"HTTP/1.1 200 OK\r\nConnection:  cLoSe \r\nContent-Length: 2\r\n\r\nok",
                      Then::Hold}});
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "ok");
  EXPECT_FALSE(http.IsOpen());
  EXPECT_TRUE(peer.WaitClientClosed(0));
}

TEST_F(HttpTest, KeptConnectionClosedWhileIdleIsReplacedBeforeTheNextRequest) {
  // The server closes only after the client's look at the end of the answer.
  ScriptedPeer peer({{Ok12, Then::Close, 0, 100}, {Ok12}});
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello world!");
  ASSERT_TRUE(peer.WaitServerClosed(0));
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello world!");
  EXPECT_EQ(peer.Requests(2).back().Connection, 1);
}

TEST_F(HttpTest, RefusedAnswerRaisesAfterItsBodyAndStaysInStep) {
  ScriptedPeer peer(
      {{"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
        "Content-Length: 6\r\n\r\ndenied"},
       {Ok12}});
  const auto error = ReplyErrorOf(http, UrlOf(peer));
  EXPECT_EQ(error.ReplyCode, 401);
  EXPECT_EQ(error.Message(), "401 Unauthorized");
  EXPECT_TRUE(http.IsOpen());
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello world!");
  EXPECT_EQ(peer.Requests(2).back().Connection, 0);
}

TEST_F(HttpTest, LocationHeadersAreRefusedRedirects) {
  ScriptedPeer peer({{"HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n"},
                     {"HTTP/1.1 200 OK\r\nLocation: /other\r\nContent-Length: 2\r\n\r\nok"},
                     {"HTTP/1.1 303 See Other\r\nContent-Length: 0\r\n\r\n"}});
  auto error = ReplyErrorOf(http, UrlOf(peer));
  EXPECT_EQ(error.ReplyCode, 302);
  EXPECT_EQ(error.Message(), "302 Found");
  error = ReplyErrorOf(http, UrlOf(peer));
  EXPECT_EQ(error.ReplyCode, 200);
  EXPECT_EQ(http.ResponseInfo.Location, "/other");
  EXPECT_EQ(ReplyErrorOf(http, UrlOf(peer)).ReplyCode, 303);
  EXPECT_EQ(peer.Requests(3).size(), 3u);  // nothing was followed
}

TEST_F(HttpTest, FollowedRedirectReplacesTheBody) {
  ScriptedPeer peer({{"HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 20\r\n\r\n"
                      "a long redirect body"},
                     {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone"}});
  http.HandleRedirects = true;
  int asked = 0;
  http.OnRedirect = [&](TComponent*, std::string& dest, int number, bool& handled) {
    ++asked;
    EXPECT_EQ(dest, "/next");
    EXPECT_EQ(number, 1);
    EXPECT_TRUE(handled);
  };
  EXPECT_EQ(http.GetPage(UrlOf(peer, "/start")), "done");
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(peer.Requests(2)[1].Head.substr(0, 15), "GET /next HTTP/");
  EXPECT_EQ(http.RedirectsFollowed, 0);
}

TEST_F(HttpTest, ChunkedBodies) {
  ScriptedPeer peer(
      {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"},
       {"HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n"
        "3;name=value\r\nabc\r\n2 \r\nde\r\n0\r\nTrailer: x\r\n\r\n"},
       {Ok12}});
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello");
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "abcde");
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello world!");  // still in step
  EXPECT_EQ(peer.Requests(3).back().Connection, 0);
}

TEST_F(HttpTest, AnswersWithoutBodyEndWithoutWaiting) {
  // The peer never closes: any wait for more would end in the read time-out.
  http.ReadTimeout = 300;
  ScriptedPeer peer({{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"},
                     {"HTTP/1.1 204 No Content\r\n\r\n"},
                     {"HTTP/1.1 304 Not Modified\r\nContent-Length: 99\r\n\r\n"},
                     {"HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n"},
                     {"HTTP/1.1 100 Continue\r\n\r\n", Then::Hold}});
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "");
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "");
  EXPECT_EQ(ReplyErrorOf(http, UrlOf(peer)).ReplyCode, 304);
  TNetMemoryStream stream;
  http.PerformRequest("HEAD", UrlOf(peer), stream);
  EXPECT_EQ(stream.Size(), 0u);
  EXPECT_EQ(http.ResponseInfo.ContentLength, 12);
  EXPECT_EQ(peer.Requests(4)[3].Head.substr(0, 7), "HEAD / ");
  EXPECT_TRUE(http.IsOpen());
  // An interim answer leaves the real one on the wire: the connection is given up.
  EXPECT_EQ(ReplyErrorOf(http, UrlOf(peer)).ReplyCode, 100);
  EXPECT_FALSE(http.IsOpen());
  EXPECT_EQ(peer.Requests(5).back().Connection, 0);
}

TEST_F(HttpTest, ResponseInfoIsFilledFromTheHeaders) {
  ScriptedPeer peer({{"HTTP/1.1 206 Partial\r\nServer: Zerka\r\nX-One: 1\r\n"
                      "Content-Type: text/plain\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                      "Expires: never\r\nContent-Range: bytes 2-3/10\r\nX-Two: a\r\n b\r\n"
                      "Content-Length: 2\r\n\r\nok"},
                     {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
  http.GetPage(UrlOf(peer));
  EXPECT_EQ(http.ResponseInfo.Server, "Zerka");
  EXPECT_EQ(http.ResponseInfo.ContentType, "text/plain");
  EXPECT_GT(http.ResponseInfo.Date, 34644);
  EXPECT_EQ(http.ResponseInfo.Expires, 0);
  EXPECT_EQ(http.ResponseInfo.ContentRangeStart, 2);
  EXPECT_EQ(http.ResponseInfo.ContentRangeEnd, 3);
  EXPECT_EQ(http.ResponseInfo.ExtraHeaders.Lines(),
            (std::vector<std::string>{"X-One: 1", "X-Two: a", " b"}));
  http.GetPage(UrlOf(peer));
  EXPECT_EQ(http.ResponseInfo.Server, "");
  EXPECT_EQ(http.ResponseInfo.Date, 0);
  EXPECT_EQ(http.ResponseInfo.ContentRangeEnd, 3);  // only a new range header changes it
  EXPECT_EQ(http.ResponseInfo.ExtraHeaders.Count(), 0);
}

TEST_F(HttpTest, AnotherHostOrPortReconnectsTheSameOneReuses) {
  ScriptedPeer peer({{Ok12}, {Ok12}, {Ok12}});
  http.GetPage(UrlOf(peer));
  const std::string port = std::to_string(peer.Port());
  http.GetPage("http://localhost:" + port + "/");  // another host text: a new connection
  EXPECT_EQ(http.Host, "localhost");
  http.GetPage("http://LOCALHOST:" + port + "/");  // equal ignoring case: reused
  const auto requests = peer.Requests(3);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].Connection, 1);
  EXPECT_EQ(requests[2].Connection, 1);
  EXPECT_TRUE(peer.WaitClientClosed(0));
}

TEST_F(HttpTest, UrlWithoutPortGoesToPort80OnANewConnection) {
  ScriptedPeer peer({{Ok12}});
  ScriptedPeer port80({{Ok12}}, 80);
  http.GetPage(UrlOf(peer));
  if (port80.Listening()) {
    EXPECT_EQ(http.GetPage("http://127.0.0.1/x"), "hello world!");
    EXPECT_EQ(port80.Requests(1).size(), 1u);
  } else {
    // Without the right to listen on port 80 only the switch itself can be seen.
    EXPECT_THROW(http.GetPage("http://127.0.0.1/x"), Exception);
  }
  EXPECT_EQ(http.Port, 80);
  EXPECT_EQ(http.HostHeaderValue, "127.0.0.1:80");
  EXPECT_TRUE(peer.WaitClientClosed(0));
}

TEST_F(HttpTest, NonNumericStatusIsAConversionError) {
  ScriptedPeer peer({{"HTTP/1.1 abc OK\r\n\r\n", Then::Hold}, {"garbage\r\n\r\n", Then::Hold}});
  try {
    http.GetPage(UrlOf(peer));
    FAIL() << "no conversion error";
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.Message(), "'abc' ist kein gültiger Integerwert"_l1);
  }
  http.CloseConnection();
  try {
    http.GetPage(UrlOf(peer));
    FAIL() << "no conversion error";
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.Message(), "'' ist kein gültiger Integerwert"_l1);
  }
}

TEST_F(HttpTest, ServerClosingBeforeTheAnswerFails) {
  ScriptedPeer peer({{"", Then::Close}});
  EXPECT_THROW(http.GetPage(UrlOf(peer)), ENetConnClosedGracefully);
}

TEST_F(HttpTest, AnAnswerCutShortByTheCloseRaisesClosedGracefully) {
  for (const std::string answer : {
           "HTTP/1.1 20",
           "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nX-Foo: ba",
           "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly a part",
           "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel",
       }) {
    ScriptedPeer peer({{answer, Then::Close}});
    try {
      const std::string body = http.GetPage(UrlOf(peer));
      ADD_FAILURE() << "status " << http.StatusCode << ", body \"" << body << "\" for " << answer;
    } catch (const ENetConnClosedGracefully& e) {
      EXPECT_EQ(e.Message(), "Die Verbindung wurde erfolgreich geschlossen.");
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message() << " for " << answer;
    }
    EXPECT_FALSE(http.IsOpen());
  }
}

TEST_F(HttpTest, AKeptConnectionServesOnlyTheHostAndPortItWasOpenedTo) {
  // The caller points Host and Port at the next server before asking for its URL.
  ScriptedPeer first({{Ok12}, {Ok12}, {Ok12}});
  ScriptedPeer second({{"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecond"}});
  http.GetPage(UrlOf(first));
  http.Port = second.Port();
  http.Request.Username = "other";
  EXPECT_EQ(http.GetPage(UrlOf(second)), "second");
  EXPECT_EQ(first.Requests(1).size(), 1u);
  EXPECT_TRUE(first.WaitClientClosed(0));

  const std::string port = std::to_string(first.Port());
  http.GetPage("http://localhost:" + port + "/");
  http.Host = "127.0.0.1";
  http.GetPage("http://127.0.0.1:" + port + "/");
  const auto requests = first.Requests(3);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].Connection, 1);
  EXPECT_EQ(requests[2].Connection, 2);
}

TEST_F(HttpTest, SecureChannelsAndProxiesAreRefusedBeforeConnecting) {
  ScriptedPeer peer({});
  try {
    http.GetPage("https://127.0.0.1:" + std::to_string(peer.Port()) + "/");
    FAIL() << "https accepted";
  } catch (const ENetHTTPUnsupported& error) {
    EXPECT_EQ(error.Message(), "HTTPS-Verbindungen werden nicht unterstützt."_l1);
  }
  http.Request.ProxyServer = "proxy";
  try {
    http.GetPage(UrlOf(peer));
    FAIL() << "proxy accepted";
  } catch (const ENetHTTPUnsupported& error) {
    EXPECT_EQ(error.Message(), "Verbindungen über einen Proxy werden nicht unterstützt."_l1);
  }
  EXPECT_FALSE(http.IsOpen());
}

// What a hostile or broken server sends must fail soon and without taking memory.
class HttpLimitTest : public HttpTest {
 protected:
  HttpLimitTest() { http.ReadTimeout = 300; }

  // The message of the limit error the answer raises, and how long that took.
  std::string LimitErrorOf(const std::string& answer, long long* elapsedMs = nullptr) {
    ScriptedPeer peer({{answer, Then::Hold}});
    const auto start = Clock::now();
    try {
      http.GetPage(UrlOf(peer));
    } catch (const ENetProtocolLimitError& error) {
      if (elapsedMs) *elapsedMs = MillisecondsSince(start);
      EXPECT_FALSE(http.SharedReadDeadline.has_value());
      return error.Message();
    }
    ADD_FAILURE() << "no limit error";
    return std::string();
  }
};

TEST_F(HttpLimitTest, EndlessHeaderLine) {
  EXPECT_EQ(LimitErrorOf("HTTP/1.1 200 OK\r\nX-Long: " + std::string(100000, 'a')),
            "Der Server sendet eine zu lange Zeile.");
  EXPECT_EQ(LimitErrorOf("HTTP/1.1 200 OK" + std::string(100000, ' ')),
            "Der Server sendet eine zu lange Zeile.");
}

TEST_F(HttpLimitTest, TooManyHeaderLines) {
  std::string answer = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 101; ++i) answer += "X-" + std::to_string(i) + ": v\r\n";
  EXPECT_EQ(LimitErrorOf(answer + "\r\n"), "Der Server sendet zu viele Kopfzeilen.");
}

TEST_F(HttpLimitTest, HugeAnnouncedLengthFailsBeforeReading) {
  http.ReadTimeout = 5000;  // a failure by time-out would take this long
  long long elapsed = 0;
  EXPECT_EQ(LimitErrorOf("HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\nab", &elapsed),
            "Die Antwort des Servers ist zu groß."_l1);
  EXPECT_LT(elapsed, 2000);
  EXPECT_EQ(http.ResponseInfo.ContentLength, 0);
  EXPECT_EQ(LimitErrorOf("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n"),
            "Die Antwort des Servers ist zu groß."_l1);
  EXPECT_EQ(LimitErrorOf("HTTP/1.1 200 OK\r\nContent-Length: 16777217\r\n\r\n"),
            "Die Antwort des Servers ist zu groß."_l1);
}

TEST_F(HttpLimitTest, NegativeLength) {
  EXPECT_EQ(LimitErrorOf("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabc"),
            "Der Server sendet eine negative Länge der Antwort."_l1);
}

TEST_F(HttpLimitTest, ChunkSizesThatOverflowOrExceedTheCeiling) {
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  EXPECT_EQ(LimitErrorOf(chunked + "10000000000000005\r\nhello\r\n"),
            "Der Server sendet eine ungültige Blockgröße."_l1);
  EXPECT_EQ(LimitErrorOf(chunked + "FFFFFFFF\r\nhello\r\n"),
            "Die Antwort des Servers ist zu groß."_l1);
  // The ceiling holds for the chunks together, too.
  EXPECT_EQ(LimitErrorOf(chunked + "5\r\nhello\r\nFFFFFC\r\n"),
            "Die Antwort des Servers ist zu groß."_l1);
}

TEST_F(HttpLimitTest, SilentServerTimesOutWithinTheBound) {
  ScriptedPeer peer({{"", Then::Hold}});
  const auto start = Clock::now();
  try {
    http.GetPage(UrlOf(peer));
    FAIL() << "no time-out";
  } catch (const ENetSocketError& error) {
    EXPECT_EQ(error.SocketErrorCode, 10060);
    EXPECT_EQ(error.Message(), "Socket-Fehler # 10060\r\nZeitüberschreitung bei Verbindung."_l1);
  }
  const auto elapsed = MillisecondsSince(start);
  EXPECT_GE(elapsed, 250);
  EXPECT_LT(elapsed, 3000);
  EXPECT_FALSE(http.SharedReadDeadline.has_value());
}

TEST_F(HttpLimitTest, OneDeadlineBoundsTheWholeAnswer) {
  // Every line comes well within the time-out, the answer as a whole does not.
  std::string answer = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 40; ++i) answer += "X-" + std::to_string(i) + ": v\r\n";
  ScriptedPeer peer({{answer + "\r\n", Then::Hold, 100}});
  const auto start = Clock::now();
  try {
    http.GetPage(UrlOf(peer));
    FAIL() << "no time-out";
  } catch (const ENetSocketError& error) {
    EXPECT_EQ(error.SocketErrorCode, 10060);
  }
  EXPECT_LT(MillisecondsSince(start), 2000);
}

TEST_F(HttpLimitTest, EachAnswerGetsItsOwnDeadline) {
  ScriptedPeer peer({{Ok12}, {Ok12}});
  http.GetPage(UrlOf(peer));
  EXPECT_FALSE(http.SharedReadDeadline.has_value());
  EXPECT_EQ(http.GetPage(UrlOf(peer)), "hello world!");
}

}  // namespace
}  // namespace zerka
