// The Win32 platform as a whole:
//  [x] one object per port, installed through SetPlatform
//  [x] a hidden helper window that owns the clipboard's data and menus shown without an owner
//      while there is no application window
//  [x] tray pictures given again at their new size when the display's DPI changes
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32EventLoop.h"
#include "platform/win32/Win32Input.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32NotifyArea.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowTable.h"
#include "platform/win32/Win32Windows.h"

namespace zerka {
namespace {

class TWin32Platform final : public IPlatform {
 public:
  TWin32Platform()
      : dialogs_([this] { return OwnerWindow(); }), shell_([this] { return HelperWindow(); }) {
    win32::SetDisplayChangeHandler([this] { notifyArea_.RefreshPictureSide(); });
  }
  ~TWin32Platform() override {
    win32::SetDisplayChangeHandler(nullptr);
    if (helper_) DestroyWindow(helper_);
  }
  TWin32Platform(const TWin32Platform&) = delete;
  TWin32Platform& operator=(const TWin32Platform&) = delete;

  IEventLoopPort& EventLoop() override { return loop_; }
  ITimerPort& Timers() override { return loop_; }
  INotifyAreaPort& NotifyArea() override { return notifyArea_; }
  IDialogPort& Dialogs() override { return dialogs_; }
  IInputPort& Input() override { return input_; }
  IShellPort& Shell() override { return shell_; }
  ILocalePort& Locale() override { return locale_; }
  ISettingsPort& Settings() override { return registry_; }
  IWindowPort& Windows() override { return windows_; }

 private:
  TWindowHandle OwnerWindow() {
    const TWindowHandle application = windows_.ApplicationWindow();
    return application ? application : HelperWindow();
  }

  TWindowHandle HelperWindow() {
    if (!helper_) {
      helper_ = CreateWindowExW(0, win32::OwnWindowClass(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    return reinterpret_cast<TWindowHandle>(helper_);
  }

  win32::TWin32EventLoop loop_;
  win32::TWin32NotifyArea notifyArea_;
  win32::TWin32Dialogs dialogs_;
  win32::TWin32Input input_;
  win32::TWin32Shell shell_;
  win32::TWin32Locale locale_;
  win32::TWin32Registry registry_;
  win32::TWin32Windows windows_;
  HWND helper_ = nullptr;
};

}  // namespace

TWin32PlatformInstallation::TWin32PlatformInstallation()
    : platform_(std::make_unique<TWin32Platform>()), previous_(SetPlatform(platform_.get())) {}

TWin32PlatformInstallation::~TWin32PlatformInstallation() { SetPlatform(previous_); }

IPlatform& TWin32PlatformInstallation::Platform() { return *platform_; }

std::unique_ptr<TWin32PlatformInstallation> InstallWin32Platform() {
  return std::make_unique<TWin32PlatformInstallation>();
}

}  // namespace zerka
