#pragma once
// The one hidden window that receives the notification area's callbacks for every tray icon
// of the process, made with the first icon and destroyed with the last.
//
// An icon's identity is its number among the live icons: the lowest one from 1 that no other
// live icon holds. The shell keeps what the user chose for an icon (shown on the taskbar or in
// the overflow) by program and identity, so the same icon must come back with the same one at
// every start, which an address (different each start) would not. The handler keeps the live
// identities and drops a callback for any other, so none reaches a destroyed icon.

#include <cstdint>
#include <unordered_map>

#include "framework/MessageWindow.h"

namespace zerka {

class TSysTrayIcon;

// The message the notification area sends for the icons (WM_USER + 1024).
inline constexpr std::uint32_t TrayCallbackMessage = 0x0800;

class TTrayIconHandler {
 public:
  TTrayIconHandler();

  TWindowHandle Handle() const { return window_.Handle(); }
  int UserCount = 0;

  std::uint32_t Register(TSysTrayIcon* icon);
  void Unregister(std::uint32_t identity) { live_.erase(identity); }

 private:
  bool WndProc(TMessage& message);

  std::unordered_map<std::uint32_t, TSysTrayIcon*> live_;
  TMessageWindow window_;
};

TTrayIconHandler& AcquireTrayHandler();
void ReleaseTrayHandler();
// The handler while one exists, else nullptr.
TTrayIconHandler* TrayHandler();

}  // namespace zerka
