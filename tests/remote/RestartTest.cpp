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

}  // namespace zerka
