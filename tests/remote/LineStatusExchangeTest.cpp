#include <chrono>

#include "base/Latin1.h"
#include "net/NetTCPClient.h"
#include "net/NetUDPClient.h"
#include "tests/remote/RemoteFixture.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;

class LineStatus : public RemoteAgainstSim {
 protected:
  LineStatus() {
    remote.SetShowMessage([this](const std::string& Text) { shown.push_back(Text); });
    sim.WithLine([](sim::LineModel& line) {
      line.SetConnected("10.0.0.1", 3600s, 120s);
      line.SetConnections(3);
    });
  }

  void ExpectFirstRecordCached() {
    EXPECT_EQ(remote.GetConnections(false), 3);
    EXPECT_EQ(remote.GetOnlineSeconds(false), 3600);
    EXPECT_EQ(remote.GetSecondsUntilHangup(false), 120);
    EXPECT_EQ(remote.GetDialupAddress(false), "10.0.0.1");
  }

  bool ConnectionClosed() { return !remote.StreamClient().Socket().HandleAllocated(); }

  std::vector<std::string> shown;
};

}  // namespace

TEST_F(LineStatus, ARefreshCachesTheRecordAndClosesTheConnection) {
  EXPECT_EQ(remote.GetConnections(true), 3);
  ExpectFirstRecordCached();
  EXPECT_TRUE(ConnectionClosed());
  EXPECT_FALSE(remote.StreamBusy());
  EXPECT_EQ(sim.GetTraffic().lastStreamRequestLine, "0\r\n");
  EXPECT_EQ(sim.GetTraffic().streamProtocolErrors, 0u);

  clock->Advance(10s);
  EXPECT_EQ(remote.GetOnlineSeconds(true), 3610);
  EXPECT_EQ(remote.GetSecondsUntilHangup(false), 110);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 2u);
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(shown.empty());
}

TEST_F(LineStatus, GettersWithoutRefreshNeverTouchTheNetwork) {
  EXPECT_EQ(remote.GetConnections(false), 0);
  EXPECT_EQ(remote.GetOnlineSeconds(false), 0);
  EXPECT_EQ(remote.GetSecondsUntilHangup(false), 0);
  EXPECT_EQ(remote.GetDialupAddress(false), "");
  const sim::Traffic traffic = sim.GetTraffic();
  EXPECT_EQ(traffic.streamConnections, 0u);
  EXPECT_EQ(traffic.datagramReplies, 0u);
  EXPECT_FALSE(remote.StreamClient().Socket().HandleAllocated());
  EXPECT_FALSE(remote.DatagramClient().Active());
}

TEST_F(LineStatus, AServerMessageIsShownAndKeepsThePreviousRecord) {
  remote.GetConnections(true);
  sim.WithLine([](sim::LineModel& line) { line.SetNotConnected(); });
  sim.SetServerMessage("Wartung läuft"_l1);
  sim.SetStreamFault(sim::StreamFault::Message);
  remote.RefreshLineStatus();
  EXPECT_EQ(shown, std::vector<std::string>{"Wartung läuft"_l1});
  ExpectFirstRecordCached();
  EXPECT_TRUE(ConnectionClosed());
  EXPECT_TRUE(errors.empty());
}

TEST_F(LineStatus, AnUnknownAnswerTypeIsShownAndNothingMoreIsRead) {
  remote.GetConnections(true);
  sim.SetStreamFault(sim::StreamFault::UnknownType);
  for (const std::int32_t type : {0, 3, -1}) {
    sim.SetUnknownAnswerType(type);
    remote.RefreshLineStatus();
  }
  EXPECT_EQ(shown, std::vector<std::string>(3, "Unbekannter Datentyp"));
  ExpectFirstRecordCached();
  EXPECT_TRUE(errors.empty());
}

TEST_F(LineStatus, AMessageWithoutAViewerPassesSilently) {
  remote.SetShowMessage(nullptr);
  sim.SetStreamFault(sim::StreamFault::Message);
  remote.RefreshLineStatus();
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(remote.StreamBusy());
}

TEST_F(LineStatus, ANestedCallFromTheMessageLoopIsRefusedWhileTheExchangeCompletes) {
  std::vector<std::uint8_t> nestedStates;
  bool busyInside = false;
  bool openInside = false;
  remote.SetShowMessage([&](const std::string& Text) {
    shown.push_back(Text);
    busyInside = remote.StreamBusy();
    openInside = remote.StreamClient().Socket().HandleAllocated();
    // A polling cycle from the box's loop: the refresh is refused, the datagram query runs.
    EXPECT_EQ(remote.GetConnections(true), 0);
    nestedStates.push_back(remote.GetLineState());
  });
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Bitte warten");
  remote.RefreshLineStatus();

  EXPECT_EQ(shown, std::vector<std::string>{"Bitte warten"});
  EXPECT_TRUE(busyInside);
  EXPECT_TRUE(openInside);
  EXPECT_EQ(nestedStates, std::vector<std::uint8_t>{1});
  EXPECT_EQ(errors, std::vector<std::string>{"Komponente ist beschäftigt - keine erneute TCP-Verbindung"_l1});
  EXPECT_FALSE(remote.StreamBusy());
  EXPECT_TRUE(ConnectionClosed());

  sim.SetStreamFault(sim::StreamFault::None);
  EXPECT_EQ(remote.GetConnections(true), 3);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(LineStatus, AConnectionClosedAfterTheTypeIsReportedWithThePrefix) {
  remote.GetConnections(true);
  sim.SetStreamFault(sim::StreamFault::CloseAfterType);
  remote.RefreshLineStatus();
  EXPECT_EQ(errors, std::vector<std::string>{"TCP-Fehler: Die Verbindung wurde erfolgreich geschlossen."});
  EXPECT_TRUE(ConnectionClosed());
  EXPECT_FALSE(remote.StreamBusy());
  ExpectFirstRecordCached();

  sim.SetStreamFault(sim::StreamFault::None);
  sim.WithLine([](sim::LineModel& line) { line.SetConnections(4); });
  EXPECT_EQ(remote.GetConnections(true), 4);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(LineStatus, AResetInTheMiddleOfTheRecordKeepsTheCacheWhole) {
  remote.GetConnections(true);
  sim.WithLine([](sim::LineModel& line) { line.SetConnections(9); });
  sim.SetStreamFault(sim::StreamFault::ResetMidRecord);
  remote.RefreshLineStatus();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("TCP-Fehler: ", 0), 0u) << errors[0];
  ExpectFirstRecordCached();
  EXPECT_TRUE(ConnectionClosed());
}

TEST_F(LineStatus, ARefusedConnectionIsReportedWithoutThePrefix) {
  remote.GetConnections(true);
  sim::SimServer gone(Options());
  remote.SetPort(gone.RemotePort());
  gone.Stop();
  remote.RefreshLineStatus();
  EXPECT_EQ(errors, std::vector<std::string>{"Socket-Fehler # 10061\r\nVerbindung abgelehnt."});
  EXPECT_FALSE(remote.StreamBusy());
  ExpectFirstRecordCached();

  remote.SetPort(sim.RemotePort());
  sim.WithLine([](sim::LineModel& line) { line.SetConnections(5); });
  EXPECT_EQ(remote.GetConnections(true), 5);
  EXPECT_EQ(errors.size(), 1u);
}

}  // namespace zerka
