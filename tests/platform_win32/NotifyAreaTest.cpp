// The real notification area. Needs a display and a tray host (scripts/with-tray.sh starts
// one and sets ZERKA_TRAY_HOST); where the shell refuses every add the tests skip.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win32/Win32NotifyArea.h"
#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

class NotifyAreaTest : public Win32PlatformTest {};

TIconImagePtr TwoColourPicture() {
  auto image = std::make_shared<TIconImage>();
  for (int i = 0; i < TIconImage::kPixels; ++i) {
    image->Colors[i] = (i % 16 < 8) ? 0x00FF0000u : 0x000000FFu;
    image->Transparent[i] = i < 16;
  }
  return image;
}

TEST_F(NotifyAreaTest, RecordHasTheShell5Size) {
#ifdef _WIN64
  EXPECT_GT(win32::NotifyRecordSize(), TNotifyIconData::kRecordSize);  // pointers are wider
#else
  EXPECT_EQ(win32::NotifyRecordSize(), TNotifyIconData::kRecordSize);
#endif
}

TEST_F(NotifyAreaTest, TaskbarCreatedIsTheRegisteredBroadcast) {
  // Every common-controls library in use today is 4.71 or later.
  EXPECT_EQ(P().NotifyArea().TaskbarCreatedMessage(), RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_NE(P().NotifyArea().TaskbarCreatedMessage(), 0u);
}

TEST_F(NotifyAreaTest, AddModifyDeleteOnTheRealShell) {
  const TWindowHandle window = P().EventLoop().CreateMessageWindow([](TMessage&) { return false; });
  TNotifyIconData data;
  data.cbSize = TNotifyIconData::kRecordSize;
  data.hWnd = window;
  data.uID = 0x1234;
  data.uFlags = nif::Message | nif::Icon | nif::Tip;
  data.uCallbackMessage = 0x0800;
  data.hIcon = TwoColourPicture();
  std::strcpy(data.szTip, "Status: Verbunden");

  auto& area = P().NotifyArea();
  if (!area.NotifyIcon(TNotifyIconMessage::Add, data)) {
    P().EventLoop().DestroyMessageWindow(window);
    if (std::getenv("ZERKA_TRAY_HOST")) FAIL() << "the tray host refused the icon";
    GTEST_SKIP() << "no notification area host on this display (run under scripts/with-tray.sh)";
  }
  EXPECT_FALSE(area.NotifyIcon(TNotifyIconMessage::Add, data)) << "a second add of the same icon";

  std::strcpy(data.szTip, "Status: Nicht verbunden");
  data.hIcon = nullptr;
  EXPECT_TRUE(area.NotifyIcon(TNotifyIconMessage::Modify, data));

  data.uFlags |= nif::Info;
  std::strcpy(data.szInfo, "Verbunden");
  std::strcpy(data.szInfoTitle, "Zerka2Remote2");
  data.uTimeoutOrVersion = 10000;
  data.dwInfoFlags = niif::Info;
  EXPECT_TRUE(area.NotifyIcon(TNotifyIconMessage::Modify, data));

  data.uFlags = nif::Message | nif::Icon | nif::Tip;
  data.uTimeoutOrVersion = 0;
  EXPECT_TRUE(area.NotifyIcon(TNotifyIconMessage::SetVersion, data));
  EXPECT_TRUE(area.NotifyIcon(TNotifyIconMessage::Remove, data));
  EXPECT_FALSE(area.NotifyIcon(TNotifyIconMessage::Modify, data)) << "the icon is gone";
  P().EventLoop().DestroyMessageWindow(window);
}

TEST_F(NotifyAreaTest, PressesOnTheIconComeBackWithItsIdentityAndCode) {
  std::vector<TMessage> callbacks;
  const TWindowHandle window = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    if (message.Msg == 0x0800) callbacks.push_back(message);
    return false;
  });
  TNotifyIconData data;
  data.cbSize = TNotifyIconData::kRecordSize;
  data.hWnd = window;
  data.uID = 0x4D;
  data.uFlags = nif::Message | nif::Icon | nif::Tip;
  data.uCallbackMessage = 0x0800;
  data.hIcon = TwoColourPicture();
  const bool added = P().NotifyArea().NotifyIcon(TNotifyIconMessage::Add, data);
  // Wine docks each icon as a window of its own; a press on it is what the user's would be.
  HWND icon = added ? FindWindowA("__winex11_tray_icon", nullptr) : nullptr;
  if (!icon) {
    if (added) P().NotifyArea().NotifyIcon(TNotifyIconMessage::Remove, data);
    P().EventLoop().DestroyMessageWindow(window);
    GTEST_SKIP() << "no docked icon window to press (needs Wine's tray under scripts/with-tray.sh)";
  }
  PostMessageA(icon, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  PostMessageA(icon, WM_RBUTTONUP, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return callbacks.size() >= 2; }));
  ASSERT_EQ(callbacks.size(), 2u);
  EXPECT_EQ(callbacks[0].WParam, 0x4Du);
  EXPECT_EQ(callbacks[0].LParam, msg::RButtonDown);
  EXPECT_EQ(callbacks[1].LParam, msg::RButtonUp);
  EXPECT_TRUE(P().NotifyArea().NotifyIcon(TNotifyIconMessage::Remove, data));
  P().EventLoop().DestroyMessageWindow(window);
}

}  // namespace
}  // namespace zerka
