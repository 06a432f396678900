// Clipboard and the input port on the real system.
#include "base/Latin1.h"
#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

class ShellTest : public Win32PlatformTest {};

TEST_F(ShellTest, ClipboardRoundTripKeepsTheBytes) {
  const std::string address = "192.168.17.4 DFÜ"_l1;
  ASSERT_TRUE(P().Shell().SetClipboardText(address));
  std::string read;
  ASSERT_TRUE(P().Shell().GetClipboardText(read));
  EXPECT_EQ(read, address);

  // What other programs see: CF_TEXT with the same bytes.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE memory = GetClipboardData(CF_TEXT);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(memory))), address);
  GlobalUnlock(memory);
  CloseClipboard();

  ASSERT_TRUE(P().Shell().SetClipboardText(""));
  ASSERT_TRUE(P().Shell().GetClipboardText(read));
  EXPECT_EQ(read, "");
}

TEST_F(ShellTest, InputPortReadsTheSystemState) {
  TPoint pos{-99999, -99999};
  ASSERT_TRUE(P().Input().GetCursorPos(pos));
  POINT system;
  ::GetCursorPos(&system);
  EXPECT_EQ(pos, (TPoint{system.x, system.y}));
  EXPECT_EQ(P().Input().GetDoubleClickTime(), ::GetDoubleClickTime());
  EXPECT_FALSE(P().Input().IsKeyDown(TVirtualKey::Shift));
}

}  // namespace
}  // namespace zerka
