#include "tray/SimpleTimer.h"

#include <memory>

#include "tests/framework/HeadlessTest.h"

namespace zerka::testing {
namespace {

class SimpleTimerTest : public HeadlessTest {
 protected:
  // Records the clock at every tick of a timer.
  TObjectEvent Recorder(std::vector<std::uint64_t>& times) {
    return [this, &times](TObject*) { times.push_back(platform.Loop.Now()); };
  }
};

TEST_F(SimpleTimerTest, TwoTimersShareOneWindowAndEachGetsOnlyItsOwnTicks) {
  std::vector<std::uint64_t> fast, slow;
  TSimpleTimer a(100, Recorder(fast));
  TSimpleTimer b(250, Recorder(slow));
  EXPECT_EQ(TimerHandlerCount(), 2);
  EXPECT_TRUE(a.Arm());
  EXPECT_TRUE(b.Arm());
  platform.Loop.Advance(500);
  EXPECT_EQ(fast, (std::vector<std::uint64_t>{100, 200, 300, 400, 500}));
  EXPECT_EQ(slow, (std::vector<std::uint64_t>{250, 500}));
  EXPECT_NE(a.TimerId(), b.TimerId());
}

TEST_F(SimpleTimerTest, IntervalZeroNeverArms) {
  std::vector<std::uint64_t> ticks;
  TSimpleTimer timer(0, Recorder(ticks));
  timer.SetRunning(true);
  EXPECT_FALSE(timer.Running());
  timer.SetIntervalMs(250);
  EXPECT_FALSE(timer.Running());
  platform.Loop.Advance(1000);
  EXPECT_TRUE(ticks.empty());
  timer.SetRunning(true);
  platform.Loop.Advance(250);
  EXPECT_EQ(ticks, std::vector<std::uint64_t>{1250});
}

TEST_F(SimpleTimerTest, ARunningTimerSetToZeroStaysMarkedRunningAndResumesWithANewInterval) {
  std::vector<std::uint64_t> ticks;
  TSimpleTimer timer(100, Recorder(ticks));
  timer.SetRunning(true);
  timer.SetIntervalMs(0);
  EXPECT_TRUE(timer.Running());
  platform.Loop.Advance(1000);
  EXPECT_TRUE(ticks.empty());
  timer.SetIntervalMs(100);
  platform.Loop.Advance(200);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1100, 1200}));
}

TEST_F(SimpleTimerTest, AnEmptyCallbackStopsTickingAndAnotherDoesNotRearm) {
  std::vector<std::uint64_t> ticks;
  TSimpleTimer timer(100, Recorder(ticks));
  timer.SetRunning(true);
  timer.SetOnTick({});
  EXPECT_TRUE(timer.Running());
  timer.SetOnTick(Recorder(ticks));
  platform.Loop.Advance(500);
  EXPECT_TRUE(ticks.empty());
  timer.SetRunning(true);
  platform.Loop.Advance(100);
  EXPECT_EQ(ticks.size(), 1u);
}

TEST_F(SimpleTimerTest, TheSameIntervalKeepsThePeriodARunningRearmRestartsIt) {
  std::vector<std::uint64_t> ticks;
  TSimpleTimer timer(100, Recorder(ticks));
  timer.SetRunning(true);
  platform.Loop.Advance(60);
  timer.SetIntervalMs(100);
  platform.Loop.Advance(40);
  EXPECT_EQ(ticks, std::vector<std::uint64_t>{100});
  platform.Loop.Advance(50);
  timer.SetRunning(true);  // at 150
  platform.Loop.Advance(100);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{100, 250}));
}

TEST_F(SimpleTimerTest, TheSharedWindowLivesFromTheFirstTimerToTheLast) {
  const auto windowsBefore = platform.Loop.Windows(headless::TWindowKind::Message).size();
  EXPECT_FALSE(TimerHandlerExists());
  {
    TSimpleTimer first;
    TSimpleTimer second;
    EXPECT_EQ(first.IntervalMs(), 1000u);
    EXPECT_EQ(platform.Loop.Windows(headless::TWindowKind::Message).size(), windowsBefore + 1);
  }
  EXPECT_FALSE(TimerHandlerExists());
  EXPECT_EQ(platform.Loop.Windows(headless::TWindowKind::Message).size(), windowsBefore);
  TSimpleTimer again;
  EXPECT_TRUE(TimerHandlerExists());
}

TEST_F(SimpleTimerTest, DestroyingATimerStopsItsSystemTimer) {
  auto timer = std::make_unique<TSimpleTimer>(100, [](TObject*) {});
  TSimpleTimer other(100, [](TObject*) {});
  timer->SetRunning(true);
  other.SetRunning(true);
  EXPECT_EQ(platform.Loop.TimerCount(), 2u);
  timer.reset();
  EXPECT_EQ(platform.Loop.TimerCount(), 1u);
}

TEST_F(SimpleTimerTest, ATimerMayDestroyItselfDuringItsTick) {
  int otherTicks = 0;
  TSimpleTimer other(100, [&](TObject*) { ++otherTicks; });
  auto* timer = new TSimpleTimer(50, {});
  timer->SetOnTick([timer](TObject* sender) {
    EXPECT_EQ(sender, timer);
    delete timer;
  });
  timer->SetRunning(true);
  other.SetRunning(true);
  platform.Loop.Advance(300);
  EXPECT_EQ(otherTicks, 3);
  EXPECT_EQ(platform.Loop.TimerCount(), 1u);
}

TEST_F(SimpleTimerTest, TheLastTimerMayDestroyItselfAndTheWindowDuringItsTick) {
  auto* timer = new TSimpleTimer(50, {});
  timer->SetOnTick([timer](TObject*) { delete timer; });
  timer->SetRunning(true);
  platform.Loop.Advance(100);
  EXPECT_FALSE(TimerHandlerExists());
}

TEST_F(SimpleTimerTest, ATickForATimerThatIsGoneIsDropped) {
  int ticks = 0;
  TSimpleTimer keeper(100, [&](TObject*) { ++ticks; });
  std::uintptr_t staleId = 0;
  {
    TSimpleTimer gone(100, [&](TObject*) { ++ticks; });
    staleId = gone.TimerId();
  }
  const auto window = platform.Loop.Windows(headless::TWindowKind::Message).back();
  platform.Loop.SendWindowMessage(window, msg::Timer, staleId, 0);
  EXPECT_EQ(ticks, 0);
}

TEST_F(SimpleTimerTest, NoTimerLeftLeavesTheTimerStopped) {
  TSimpleTimer timer(100, [](TObject*) {});
  platform.Loop.TimerLimit = 0;
  EXPECT_FALSE(timer.Arm());
  EXPECT_FALSE(timer.Running());
  EXPECT_FALSE(timer.Disarm(true));
}

}  // namespace
}  // namespace zerka::testing
