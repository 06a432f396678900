#include <optional>
#include <stdexcept>

#include "net/NetHTTP.h"
#include "remote/RemoteProtocol.h"
#include "tests/remote/RemoteFixture.h"

namespace zerka {
namespace {

class Restart : public RemoteAgainstSim {
 protected:
  Restart() { sim.SetCredentials(sim::Credentials{"admin", "geheim"}); }

  std::string Head() { return sim.GetTraffic().lastHttpRequestHead; }
  std::string AuthorizationOf(const std::string& head) {
    const auto start = head.find("Authorization: ");
    if (start == std::string::npos) return {};
    return head.substr(start, head.find("\r\n", start) - start);
  }
};

}  // namespace

TEST(RestartUrl, HostAsConfiguredAndTheAdminPortInDecimal) {
  EXPECT_EQ(RestartUrl("10.0.0.2", 8080), "http://10.0.0.2:8080/zerka-admin/admin/?Restart=true");
  EXPECT_EQ(RestartUrl("zerka.lan", 2506), "http://zerka.lan:2506/zerka-admin/admin/?Restart=true");
}

TEST_F(Restart, GoesToTheReportedAdminPortWithBasicAuthentication) {
  EXPECT_TRUE(remote.RestartServer("admin", "geheim"));
  EXPECT_EQ(sim.GetTraffic().restarts, 1u);
  const std::string head = Head();
  EXPECT_EQ(head.rfind("GET /zerka-admin/admin/?Restart=true HTTP/1.1\r\n", 0), 0u) << head;
  EXPECT_NE(head.find("\r\nHost: 127.0.0.1:" + std::to_string(sim.AdminPort()) + "\r\n"),
            std::string::npos)
      << head;
  EXPECT_EQ(AuthorizationOf(head), "Authorization: Basic YWRtaW46Z2VoZWlt");
  EXPECT_EQ(remote.HTTPClient().Port, sim.AdminPort());
  EXPECT_EQ(remote.HTTPClient().Host, "127.0.0.1");
  EXPECT_TRUE(errors.empty());
}

TEST_F(Restart, EachCallUsesItsOwnCredentialsAndARefusalIsNoReport) {
  EXPECT_FALSE(remote.RestartServer("admin", "falsch"));
  EXPECT_EQ(AuthorizationOf(Head()), "Authorization: Basic YWRtaW46ZmFsc2No");
  EXPECT_TRUE(remote.RestartServer("admin", "geheim"));
  EXPECT_EQ(AuthorizationOf(Head()), "Authorization: Basic YWRtaW46Z2VoZWlt");
  EXPECT_EQ(remote.HTTPClient().Request.Username, "admin");
  EXPECT_EQ(remote.HTTPClient().Request.Password, "geheim");
  EXPECT_EQ(sim.GetTraffic().restarts, 1u);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Restart, AnEmptyUserNameSendsNoCredentials) {
  EXPECT_FALSE(remote.RestartServer("", "geheim"));
  const std::string head = Head();
  EXPECT_EQ(head.rfind("GET /zerka-admin/admin/?Restart=true HTTP/1.1\r\n", 0), 0u) << head;
  EXPECT_EQ(AuthorizationOf(head), "");
  sim.SetCredentials(std::nullopt);
  EXPECT_TRUE(remote.RestartServer("", ""));
  EXPECT_EQ(AuthorizationOf(Head()), "");
  EXPECT_TRUE(errors.empty());
}

TEST_F(Restart, AFailedAdminPortQueryIsReportedAndTheRequestGoesToTheFallbackPort) {
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  remote.RestartServer("admin", "geheim");
  EXPECT_EQ(errors, std::vector<std::string>{"UDP Empfangsfehler = 0."});
  EXPECT_EQ(remote.HTTPClient().Port, 2506);
  EXPECT_EQ(sim.GetTraffic().httpRequests, 0u);
}

TEST_F(Restart, AServerThatRefusesTheConnectionIsAFailureWithoutReport) {
  sim::SimServer gone(Options());
  sim.SetReportedAdminPort(gone.AdminPort());
  gone.Stop();
  EXPECT_FALSE(remote.RestartServer("admin", "geheim"));
  EXPECT_EQ(remote.HTTPClient().Port, gone.AdminPort());
  EXPECT_TRUE(errors.empty());
}

TEST_F(Restart, TheServerEndsTheConnectionWithItsRestartAndTheNextOneConnectsAnew) {
  EXPECT_TRUE(remote.RestartServer("admin", "geheim"));
  EXPECT_TRUE(remote.RestartServer("admin", "geheim"));
  EXPECT_EQ(sim.GetTraffic().restarts, 2u);
  EXPECT_EQ(sim.GetTraffic().httpConnections, 2u);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Restart, AnAnswerCutOffInItsHeadIsAFailure) {
  sim.SetHttpFault(sim::HttpFault::CutInHead);
  EXPECT_FALSE(remote.RestartServer("admin", "geheim"));
  EXPECT_EQ(sim.GetTraffic().httpRequests, 1u);
  EXPECT_TRUE(errors.empty());
}

// The component is pointed from the fixture's server at a second one while the first still
// holds the connection a refused restart kept open.
class RestartElsewhere : public Restart {
 protected:
  std::optional<sim::SimServer> second;

  // Why the second server cannot be had here; empty when it runs.
  std::string StartSecond(const std::string& address, std::uint16_t remotePort,
                          std::uint16_t adminPort) {
    sim::ServerOptions options = Options();
    options.bindAddress = address;
    options.remotePort = remotePort;
    options.adminPort = adminPort;
    options.credentials = sim::Credentials{"zweiter", "anders"};
    try {
      second.emplace(options);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return {};
  }

  void RefusedHereThenRestartedThere(const std::string& host) {
    EXPECT_FALSE(remote.RestartServer("admin", "falsch"));
    ASSERT_TRUE(remote.HTTPClient().IsOpen());
    remote.SetHost(host);
    remote.SetPort(second->RemotePort());
    EXPECT_TRUE(remote.RestartServer("zweiter", "anders"));
    const sim::Traffic there = second->GetTraffic();
    EXPECT_EQ(there.restarts, 1u);
    EXPECT_NE(there.lastHttpRequestHead.find("\r\nHost: " + host + ":" +
                                             std::to_string(second->AdminPort()) + "\r\n"),
              std::string::npos)
        << there.lastHttpRequestHead;
    const sim::Traffic here = sim.GetTraffic();
    EXPECT_EQ(here.httpRequests, 1u) << "the second server's credentials reached the first";
    EXPECT_EQ(here.restarts, 0u);
    EXPECT_TRUE(errors.empty());
  }
};

TEST_F(RestartElsewhere, AnotherHostWithTheSamePorts) {
  if (const std::string why = StartSecond("127.0.0.2", sim.RemotePort(), sim.AdminPort());
      !why.empty()) {
    GTEST_SKIP() << "no second loopback address with these ports here: " << why;
  }
  RefusedHereThenRestartedThere("127.0.0.2");
}

TEST_F(RestartElsewhere, AnotherPortOnTheSameHost) {
  ASSERT_EQ(StartSecond("127.0.0.1", 0, 0), "");
  RefusedHereThenRestartedThere("127.0.0.1");
}

TEST(RestartFallback, WithoutAnAdminPortReplyTheRequestGoesToPort2506) {
  // An address of its own keeps port 2506 free of whatever else runs on this machine.
  sim::ServerOptions options;
  options.bindAddress = "127.0.25.6";
  options.adminPort = 2506;
  std::optional<sim::SimServer> server;
  try {
    server.emplace(options);
  } catch (const std::runtime_error& e) {
    GTEST_SKIP() << "port 2506 cannot be had here: " << e.what();
  }
  server->SetDatagramFault(sim::DatagramFault::Silent);
  TZerka2Remote remote;
  remote.SetHost("127.0.25.6");
  remote.SetPort(server->RemotePort());
  EXPECT_TRUE(remote.RestartServer("", ""));
  const sim::Traffic traffic = server->GetTraffic();
  EXPECT_EQ(traffic.datagramsByCode[8], 1u);
  EXPECT_EQ(traffic.restarts, 1u);
  EXPECT_NE(traffic.lastHttpRequestHead.find("\r\nHost: 127.0.25.6:2506\r\n"), std::string::npos);
}

}  // namespace zerka
