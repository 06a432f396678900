#include "sim/LineModel.h"

#include <gtest/gtest.h>

namespace zerka::sim {
namespace {

using namespace std::chrono_literals;

class LineModelTest : public ::testing::Test {
 protected:
  ManualClock clock;
  LineModel line{clock, LineTiming{3000ms, 120s}};
};

TEST_F(LineModelTest, FetchMailDialsThenConnectsWithAnAddressAndCountsUp) {
  EXPECT_EQ(line.Status().state, LineState::NotConnected);
  line.FetchMail();
  EXPECT_EQ(line.Status().state, LineState::Dialling);
  clock.Advance(2999ms);
  EXPECT_EQ(line.Status().state, LineState::Dialling);
  clock.Advance(1ms);
  LineStatus status = line.Status();
  EXPECT_EQ(status.state, LineState::Connected);
  EXPECT_EQ(status.connections, 1);
  EXPECT_EQ(status.address, "192.168.100.23");
  EXPECT_EQ(status.onlineSeconds, 0);
  EXPECT_EQ(status.secondsUntilHangup, 120);

  clock.Advance(45500ms);
  status = line.Status();
  EXPECT_EQ(status.onlineSeconds, 45);
  EXPECT_EQ(status.secondsUntilHangup, 75);
}

TEST_F(LineModelTest, TrafficRestartsTheCountdownAndSilenceHangsUp) {
  line.SetConnected("10.0.0.1", 600s, 10s);
  clock.Advance(9s);
  EXPECT_EQ(line.Status().secondsUntilHangup, 1);
  line.FetchMail();  // traffic, no new dial-up
  LineStatus status = line.Status();
  EXPECT_EQ(status.secondsUntilHangup, 120);
  EXPECT_EQ(status.onlineSeconds, 609);
  EXPECT_EQ(status.connections, 0);

  clock.Advance(119999ms);
  EXPECT_EQ(line.Status().state, LineState::Connected);
  clock.Advance(1ms);
  status = line.Status();
  EXPECT_EQ(status.state, LineState::NotConnected);
  EXPECT_EQ(status.address, "");
  EXPECT_EQ(status.onlineSeconds, 0);
  EXPECT_EQ(status.secondsUntilHangup, 0);
}

TEST_F(LineModelTest, ALongPauseRunsDialUpAndHangUpInOrder) {
  line.FetchMail();
  clock.Advance(3s + 120s + 5s);
  const LineStatus status = line.Status();
  EXPECT_EQ(status.state, LineState::NotConnected);
  EXPECT_EQ(status.connections, 1);
}

TEST_F(LineModelTest, FailedAttemptStaysUntilTheNextDial) {
  line.SetDialAttemptsFail(true);
  line.FetchMail();
  clock.Advance(3s);
  EXPECT_EQ(line.Status().state, LineState::AttemptFailed);
  clock.Advance(1h);
  EXPECT_EQ(line.Status().state, LineState::AttemptFailed);
  line.SetDialAttemptsFail(false);
  line.FetchMail();
  EXPECT_EQ(line.Status().state, LineState::Dialling);
  clock.Advance(3s);
  EXPECT_EQ(line.Status().state, LineState::Connected);
}

TEST_F(LineModelTest, LockHangsUpReadsAsLockedAndKeepsTheLineFromDialling) {
  line.SetConnected("10.0.0.1", 5s, 60s);
  line.ToggleLock();
  LineStatus status = line.Status();
  EXPECT_EQ(status.state, LineState::DialupLocked);
  EXPECT_TRUE(status.locked);
  EXPECT_EQ(status.address, "");

  line.FetchMail();
  clock.Advance(10s);
  EXPECT_EQ(line.Status().state, LineState::DialupLocked);

  line.ToggleLock();
  status = line.Status();
  EXPECT_EQ(status.state, LineState::NotConnected);
  EXPECT_FALSE(status.locked);
}

TEST_F(LineModelTest, LogoutHangsUpAndRestartCountsAfresh) {
  line.FetchMail();
  clock.Advance(3s);
  line.Logout();
  EXPECT_EQ(line.Status().state, LineState::NotConnected);
  EXPECT_EQ(line.Status().connections, 1);
  line.FetchMail();
  clock.Advance(3s);
  EXPECT_EQ(line.Status().address, "192.168.100.24");
  line.Restart();
  const LineStatus status = line.Status();
  EXPECT_EQ(status.state, LineState::NotConnected);
  EXPECT_EQ(status.connections, 0);
}

}  // namespace
}  // namespace zerka::sim
