// Message windows, posted and sent messages, and real window timers.
#include <stdexcept>
#include <vector>

#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

constexpr std::uint32_t kPing = msg::User + 7;

class EventLoopTest : public Win32PlatformTest {};

TEST_F(EventLoopTest, MessageWindowGetsPostedAndSentMessagesAsTheyWereGiven) {
  std::vector<TMessage> seen;
  const TWindowHandle window = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    if (message.Msg != kPing) return false;
    seen.push_back(message);
    message.Result = 42;
    return true;
  });
  ASSERT_NE(window, 0u);
  // A message-only window is no top-level window: it never sees shell broadcasts.
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(window)));

  ASSERT_TRUE(P().EventLoop().PostWindowMessage(window, kPing, 3, -4));
  EXPECT_TRUE(seen.empty()) << "a posted message waits for the loop";
  ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
  EXPECT_EQ(seen[0].WParam, 3u);
  EXPECT_EQ(seen[0].LParam, -4);

  EXPECT_EQ(P().EventLoop().SendWindowMessage(window, kPing, 5, 6), 42);
  EXPECT_EQ(seen.size(), 2u);

  P().EventLoop().DestroyMessageWindow(window);
  EXPECT_FALSE(P().EventLoop().PostWindowMessage(window, kPing, 0, 0));
}

TEST_F(EventLoopTest, HandlerMayDestroyItsOwnWindow) {
  TWindowHandle window = 0;
  int calls = 0;
  window = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    if (message.Msg != kPing) return false;
    ++calls;
    P().EventLoop().DestroyMessageWindow(window);
    return true;
  });
  P().EventLoop().SendWindowMessage(window, kPing, 0, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(window)));
}

TEST_F(EventLoopTest, ExceptionFromHandlerComesOutOfTheDispatchNotThroughTheSystem) {
  const TWindowHandle window = P().EventLoop().CreateMessageWindow([](TMessage& message) -> bool {
    if (message.Msg == kPing) throw std::runtime_error("kaputt");
    return false;
  });
  ASSERT_TRUE(P().EventLoop().PostWindowMessage(window, kPing, 0, 0));
  EXPECT_THROW(P().EventLoop().DispatchPending(), std::runtime_error);
  // The loop is usable afterwards.
  bool pinged = false;
  const TWindowHandle second = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    pinged = pinged || message.Msg == kPing;
    return message.Msg == kPing;
  });
  P().EventLoop().PostWindowMessage(second, kPing, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return pinged; }));
  P().EventLoop().DestroyMessageWindow(window);
  P().EventLoop().DestroyMessageWindow(second);
}

TEST_F(EventLoopTest, QuitEndsWaitAndDispatchButNotAnEarlierPass) {
  P().EventLoop().PostQuit();
  P().EventLoop().DispatchPending();  // leaves the quit for the loop
  EXPECT_FALSE(P().EventLoop().WaitAndDispatch());
}

TEST_F(EventLoopTest, TimersTickWithTheirOwnIdsAndStopWhenKilled) {
  // Ids as large as an object's address must survive the round trip.
  const std::uintptr_t fastId = reinterpret_cast<std::uintptr_t>(this);
  const std::uintptr_t slowId = fastId + 8;
  int fast = 0;
  int slow = 0;
  int other = 0;
  const TWindowHandle window = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    if (message.Msg != msg::Timer) return false;
    if (message.WParam == fastId) ++fast;
    else if (message.WParam == slowId) ++slow;
    else ++other;
    return true;
  });
  ASSERT_TRUE(P().Timers().SetTimer(window, fastId, 20));
  ASSERT_TRUE(P().Timers().SetTimer(window, slowId, 150));
  ASSERT_TRUE(WaitFor([&] { return fast >= 5 && slow >= 1; }));
  EXPECT_GT(fast, slow);
  EXPECT_EQ(other, 0);

  EXPECT_TRUE(P().Timers().KillTimer(window, fastId));
  EXPECT_TRUE(P().Timers().KillTimer(window, slowId));
  EXPECT_FALSE(P().Timers().KillTimer(window, slowId)) << "no such timer any more";
  P().EventLoop().DispatchPending();  // ticks already queued before the kill
  const int fastAtKill = fast;
  const int slowAtKill = slow;

  // A witness timer on its own window: after three of its periods the killed ones stayed quiet.
  int witness = 0;
  const TWindowHandle witnessWindow = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    witness += message.Msg == msg::Timer;
    return message.Msg == msg::Timer;
  });
  ASSERT_TRUE(P().Timers().SetTimer(witnessWindow, 1, 170));
  ASSERT_TRUE(WaitFor([&] { return witness >= 3; }));
  EXPECT_EQ(fast, fastAtKill);
  EXPECT_EQ(slow, slowAtKill);
  P().Timers().KillTimer(witnessWindow, 1);
  P().EventLoop().DestroyMessageWindow(witnessWindow);
  P().EventLoop().DestroyMessageWindow(window);
}

}  // namespace
}  // namespace zerka
