#include <gtest/gtest.h>

#include "WireClient.h"
#include "sim/SimServer.h"

namespace zerka::sim {
namespace {

using namespace std::chrono_literals;
using test::StreamClient;

// "admin:geheim" in Base64.
const std::string kRestartWithCredentials =
    "GET /zerka-admin/admin/?Restart=true HTTP/1.1\r\nHost: 127.0.0.1:2506\r\nAccept: text/html, */*\r\n"
    "User-Agent: Mozilla/3.0 (compatible; Zerka2 Remote)\r\nAuthorization: Basic YWRtaW46Z2VoZWlt\r\n\r\n";

class SimAdminTest : public ::testing::Test {
 protected:
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
  SimServer server{[this] {
    ServerOptions options;
    options.clock = clock;
    options.credentials = Credentials{"admin", "geheim"};
    return options;
  }()};
};

TEST_F(SimAdminTest, BasicAuthenticationGuardsThePages) {
  StreamClient client(server.AdminPort());
  client.Send("GET /zerka-admin/ HTTP/1.1\r\nHost: x\r\n\r\n");
  const std::string refused = client.ReadHttpAnswer();
  EXPECT_TRUE(refused.starts_with("HTTP/1.1 401 Unauthorized\r\n")) << refused;
  EXPECT_NE(refused.find("\r\nWWW-Authenticate: Basic realm=\""), std::string::npos);

  client.Send("GET /zerka-admin/ HTTP/1.1\r\nAuthorization: Basic YWRtaW46ZmFsc2No\r\n\r\n");  // admin:falsch
  EXPECT_TRUE(client.ReadHttpAnswer().starts_with("HTTP/1.1 401 "));

  client.Send("GET /zerka-admin/ HTTP/1.1\r\nAuthorization: Basic YWRtaW46Z2VoZWlt\r\n\r\n");
  const std::string page = client.ReadHttpAnswer();  // the same connection, kept alive
  EXPECT_TRUE(page.starts_with("HTTP/1.1 200 OK\r\n")) << page;
  EXPECT_NE(page.find("\r\nContent-Length: "), std::string::npos);
  EXPECT_TRUE(page.ends_with("</html>\r\n"));
  EXPECT_EQ(server.GetTraffic().httpConnections, 1u);
}

TEST_F(SimAdminTest, RestartResetsTheLineRecordsTheHeadAndEndsTheConnection) {
  server.WithLine([](LineModel& line) {
    line.SetConnections(4);
    line.SetConnected("10.1.2.3", 60s, 60s);
  });
  StreamClient client(server.AdminPort());
  client.Send(kRestartWithCredentials);
  const std::string answer = client.ReadHttpAnswer();
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(answer.find("Connection:"), std::string::npos);
  EXPECT_TRUE(client.ClosedByServer());  // the server goes down for its restart
  const LineStatus line = server.Line();
  EXPECT_EQ(line.state, LineState::NotConnected);
  EXPECT_EQ(line.connections, 0);
  const Traffic traffic = server.GetTraffic();
  EXPECT_EQ(traffic.restarts, 1u);
  EXPECT_EQ(traffic.lastHttpRequestHead, kRestartWithCredentials);
}

TEST_F(SimAdminTest, FaultyAnswers) {
  server.SetHttpFault(HttpFault::Always401);
  StreamClient refused(server.AdminPort());
  refused.Send(kRestartWithCredentials);
  EXPECT_TRUE(refused.ReadHttpAnswer().starts_with("HTTP/1.1 401 "));

  server.SetHttpFault(HttpFault::Redirect302);
  server.SetRedirectLocation("http://127.0.0.1:1/anders/");
  StreamClient moved(server.AdminPort());
  moved.Send(kRestartWithCredentials);
  const std::string redirect = moved.ReadHttpAnswer();
  EXPECT_TRUE(redirect.starts_with("HTTP/1.1 302 Found\r\n"));
  EXPECT_NE(redirect.find("\r\nLocation: http://127.0.0.1:1/anders/\r\n"), std::string::npos);
  EXPECT_EQ(server.GetTraffic().restarts, 0u);

  server.SetHttpFault(HttpFault::ConnectionClose);
  StreamClient closing(server.AdminPort());
  closing.Send(kRestartWithCredentials);
  EXPECT_NE(closing.ReadHttpAnswer().find("\r\nConnection: close\r\n"), std::string::npos);
  EXPECT_TRUE(closing.ClosedByServer());

  server.SetHttpFault(HttpFault::Chunked);
  StreamClient chunked(server.AdminPort());
  chunked.Send(kRestartWithCredentials);
  const std::string head = chunked.ReadHttpAnswer();
  EXPECT_NE(head.find("\r\nTransfer-Encoding: chunked\r\n"), std::string::npos);
  EXPECT_EQ(head.find("Content-Length"), std::string::npos);

  server.SetHttpFault(HttpFault::HugeContentLength);
  StreamClient huge(server.AdminPort());
  huge.Send(kRestartWithCredentials);
  EXPECT_NE(huge.Read(4096, 300ms).find("\r\nContent-Length: 2147483647\r\n"), std::string::npos);
  EXPECT_FALSE(huge.ClosedByServer(0ms));
}

TEST_F(SimAdminTest, EndlessHeaderLineIsBoundedButNeverEnds) {
  server.SetFaults([] {
    FaultSettings faults;
    faults.http = HttpFault::EndlessHeaderLine;
    faults.endlessHeaderBytes = 200000;
    return faults;
  }());
  StreamClient client(server.AdminPort());
  client.Send(kRestartWithCredentials);
  const std::string start = "HTTP/1.1 200 OK\r\nX-Filler: ";
  const std::string answer = client.Read(start.size() + 200000);
  EXPECT_TRUE(answer.starts_with(start + "aaaa"));
  EXPECT_EQ(answer.size(), start.size() + 200000);
  EXPECT_EQ(answer.find('\n', start.size()), std::string::npos);
  EXPECT_EQ(client.Read(1, 100ms), "");
  EXPECT_FALSE(client.ClosedByServer(0ms));
}

}  // namespace
}  // namespace zerka::sim
