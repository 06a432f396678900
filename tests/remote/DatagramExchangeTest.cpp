#include <chrono>

#include "base/Latin1.h"
#include "net/NetUDPClient.h"
#include "tests/remote/RemoteFixture.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;
using Datagrams = RemoteAgainstSim;

constexpr std::uint8_t CodeLogout = 5;

}  // namespace

TEST_F(Datagrams, QueriesAnswerTheServersStateAndPort) {
  sim.WithLine([](sim::LineModel& line) { line.SetLocked(true); });
  EXPECT_EQ(remote.GetLineState(), 4);
  EXPECT_EQ(remote.GetLockState(), 1);
  EXPECT_EQ(remote.GetAdminPort(), sim.AdminPort());
  sim.SetReportedAdminPort(8192);
  EXPECT_EQ(remote.GetAdminPort(), 8192);
  EXPECT_TRUE(errors.empty());
  const std::string data = remote.Query(2);
  ASSERT_EQ(data.size(), 252u);
  EXPECT_EQ(data, "\x04" + std::string(251, '\0'));
}

TEST_F(Datagrams, RequestsAreThreeBytesAndCommandsShareTheCounter) {
  EXPECT_TRUE(remote.FetchMail());
  EXPECT_TRUE(remote.Logout());
  EXPECT_TRUE(remote.ToggleDialupLock());
  EXPECT_EQ(remote.GetLineState(), 4);
  const sim::Traffic traffic = sim.GetTraffic();
  EXPECT_EQ(traffic.malformedDatagrams, 0u);
  EXPECT_EQ(traffic.lastSequenceByCode[4], 1);
  EXPECT_EQ(traffic.lastSequenceByCode[5], 2);
  EXPECT_EQ(traffic.lastSequenceByCode[6], 3);
  EXPECT_EQ(traffic.lastSequenceByCode[2], 4);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Datagrams, StopServerEndsTheServer) {
  EXPECT_TRUE(remote.StopServer());
  EXPECT_TRUE(sim.WaitUntilStopped(5s));
  EXPECT_TRUE(errors.empty());
}

TEST_F(Datagrams, SequenceNumbersStartAtOneAndWrapToOneNotZero) {
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_EQ(sim.GetTraffic().lastSequence, 1);
  // Paced so the server's receive queue never overflows.
  for (std::uint64_t sent = 1; sent < 65534;) {
    for (int i = 0; i < 200 && sent < 65534; ++i, ++sent) remote.SendCommand(CodeLogout);
    ASSERT_TRUE(sim.WaitForTraffic(
        [&](const sim::Traffic& t) { return t.datagramsByCode[CodeLogout] == sent - 1; }, 5s));
  }
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_EQ(sim.GetTraffic().lastSequence, 65535);
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_EQ(sim.GetTraffic().lastSequence, 1);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Datagrams, RejectedOrMissingRepliesGiveTheFallbackWithoutAReport) {
  sim.SetReportedAdminPort(8080);
  for (const auto fault : {sim::DatagramFault::StatusZero, sim::DatagramFault::WrongSequence,
                           sim::DatagramFault::Silent}) {
    sim.SetDatagramFault(fault);
    EXPECT_EQ(remote.GetLineState(), 255);
    EXPECT_EQ(remote.GetLockState(), 255);
    EXPECT_EQ(remote.GetAdminPort(), 2506);
    EXPECT_EQ(remote.Query(2), "");
  }
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(remote.DatagramBusy());
}

TEST_F(Datagrams, ALateReplyIsDiscardedByTheNextDrain) {
  sim.SetReplyDelay(700ms);
  EXPECT_EQ(remote.GetLineState(), 255);
  // Wait for the late reply to be pending without taking it.
  ASSERT_TRUE(remote.DatagramClient().EnsureSocket().WaitReadable(5000));
  sim.SetReplyDelay(0ms);
  sim.WithLine([](sim::LineModel& line) { line.SetDialling(); });
  EXPECT_EQ(remote.GetLineState(), 3);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Datagrams, TwoPendingCommandAnswersCostTheNextQueryItsReply) {
  sim.SetAnswerCommands(true);
  remote.Logout();
  remote.Logout();
  ASSERT_TRUE(sim.WaitForTraffic([](const sim::Traffic& t) { return t.datagramReplies == 2; }, 5s));
  ASSERT_TRUE(remote.DatagramClient().EnsureSocket().WaitReadable(5000));
  EXPECT_EQ(remote.GetLineState(), 255);
  // The rejected query's own reply is the one the next drain must take; wait for it to be
  // pending, or a slow server turns this into a second rejection.
  ASSERT_TRUE(sim.WaitForTraffic([](const sim::Traffic& t) { return t.datagramReplies == 3; }, 5s));
  ASSERT_TRUE(remote.DatagramClient().EnsureSocket().WaitReadable(5000));
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Datagrams, AZeroLengthReplyIsReportedAndTheNextQueryRuns) {
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  EXPECT_EQ(remote.GetAdminPort(), 2506);
  ASSERT_EQ(errors, std::vector<std::string>{"UDP Empfangsfehler = 0."});
  EXPECT_FALSE(remote.DatagramBusy());
  sim.SetDatagramFault(sim::DatagramFault::None);
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(Datagrams, AZeroLengthDatagramWaitingBeforeAQueryIsReportedByItsDrain) {
  sim.SetAnswerCommands(true);
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  remote.Logout();
  ASSERT_TRUE(remote.DatagramClient().EnsureSocket().WaitReadable(5000));
  sim.SetDatagramFault(sim::DatagramFault::None);
  EXPECT_EQ(remote.GetLineState(), 255);
  EXPECT_EQ(errors, std::vector<std::string>{"UDP Empfangsfehler = 0."});
}

TEST_F(Datagrams, AReplyLongerThanTheBufferIsReported) {
  sim.SetDatagramFault(sim::DatagramFault::Oversized);
  sim.SetOversizedLength(257);
  EXPECT_EQ(remote.GetLineState(), 255);
  EXPECT_EQ(errors, std::vector<std::string>{"Socket-Fehler # 10040\r\nDie Botschaft ist zu lang."});
  sim.SetOversizedLength(256);
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(Datagrams, AnErrorHandlerMayQueryAgainWithoutBeingRefused) {
  std::vector<std::uint8_t> statesFromHandler;
  remote.SetOnError([&](TComponent*, const std::string& Text) {
    errors.push_back(Text);
    if (statesFromHandler.empty()) {
      sim.SetDatagramFault(sim::DatagramFault::None);
      statesFromHandler.push_back(remote.GetLineState());
    }
  });
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  EXPECT_EQ(remote.GetLineState(), 255);
  EXPECT_EQ(statesFromHandler, std::vector<std::uint8_t>{0});
  EXPECT_EQ(errors, std::vector<std::string>{"UDP Empfangsfehler = 0."});
}

TEST_F(Datagrams, WithoutAnErrorHandlerFailuresPassSilently) {
  remote.SetOnError(nullptr);
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  EXPECT_EQ(remote.GetLockState(), 255);
}

TEST_F(Datagrams, HostAndPortTakeEffectWithTheNextRequest) {
  sim::SimServer other(Options());
  other.WithLine([](sim::LineModel& line) { line.SetDialling(); });
  remote.SetPort(other.RemotePort());
  EXPECT_EQ(remote.DatagramClient().Port, 0);
  EXPECT_EQ(remote.GetLineState(), 3);
  EXPECT_EQ(remote.DatagramClient().Port, other.RemotePort());
  EXPECT_EQ(remote.DatagramClient().ReceiveTimeout, 5000);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Datagrams, AFailedCommandClearsItsBusyFlagAndTheNextQueryRuns) {
  remote.SetHost("no-such-host.invalid");
  EXPECT_TRUE(remote.FetchMail());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Socket-Fehler # ", 0), 0u) << errors[0];
  EXPECT_FALSE(remote.DatagramBusy());
  remote.SetHost("127.0.0.1");
  EXPECT_EQ(remote.GetLineState(), 0);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[2], 1u);
}

}  // namespace zerka
