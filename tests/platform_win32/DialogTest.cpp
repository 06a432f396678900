// Message boxes and popup menus run their own modal loops, which keep dispatching the
// thread's messages: a message posted before the box opens is what answers it.
#include <functional>
#include <vector>

#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

constexpr std::uint32_t kAct = msg::User + 9;

class DialogTest : public Win32PlatformTest {
 protected:
  // Runs action from inside the next modal loop, once that loop's window exists.
  void WhenModalLoopRuns(std::function<bool()> action) {
    action_ = std::move(action);
    attempts_ = 0;
    if (!helper_) {
      helper_ = P().EventLoop().CreateMessageWindow([this](TMessage& message) {
        if (message.Msg != kAct) return false;
        ++attempts_;
        if (!action_() && attempts_ < 200) P().EventLoop().PostWindowMessage(helper_, kAct, 0, 0);
        return true;
      });
    }
    P().EventLoop().PostWindowMessage(helper_, kAct, 0, 0);
  }
  void TearDown() override {
    if (helper_) P().EventLoop().DestroyMessageWindow(helper_);
    Win32PlatformTest::TearDown();
  }

  TWindowHandle helper_ = 0;
  int attempts_ = 0;
  std::function<bool()> action_;
};

TEST_F(DialogTest, MessageBoxAnsweredByAPostedOk) {
  WhenModalLoopRuns([] {
    HWND box = FindWindowA("#32770", "Zerka2Remote2Config");
    if (!box) return false;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
  });
  const TModalResult answer = P().Dialogs().ShowMessageBox(
      0, "Keine Überwachung", "Zerka2Remote2Config", TMsgButtons::OKCancel, TMsgIcon::Question);
  EXPECT_EQ(answer, TModalResult::OK);
}

TEST_F(DialogTest, MessageBoxClosedIsCancel) {
  WhenModalLoopRuns([] {
    HWND box = FindWindowA("#32770", "Frage");
    if (!box) return false;
    PostMessageA(box, WM_CLOSE, 0, 0);
    return true;
  });
  EXPECT_EQ(P().Dialogs().ShowMessageBox(0, "Neu starten?", "Frage", TMsgButtons::OKCancel, TMsgIcon::Warning),
            TModalResult::Cancel);
}

TEST_F(DialogTest, PopupMenuReturnsTheChosenEntryOrMinusOne) {
  auto picture = std::make_shared<TIconImage>();
  picture->Colors.fill(0x00808000u);
  const std::vector<TPopupEntry> entries{
      {"Zerka2 Remote - Einstellungen...", picture, true, true, false},
      {"-", nullptr, false, true, false},
      {"Ende", nullptr, false, true, false},
  };
  WhenModalLoopRuns([] {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return false;
    // Down to the first item, past the separator to "Ende", then choose it.
    for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
    return true;
  });
  EXPECT_EQ(P().Dialogs().TrackPopupMenu(entries, {100, 100}, 0), 2);

  WhenModalLoopRuns([] {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return false;
    EndMenu();
    return true;
  });
  EXPECT_EQ(P().Dialogs().TrackPopupMenu(entries, {100, 100}, 0), -1);
}

}  // namespace
}  // namespace zerka
