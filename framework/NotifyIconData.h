#pragma once
// The notify-icon record that the notification area is given on every call. It carries the
// fields of the shell's 488-byte record (the Shell 5.0 layout with balloon fields); the Win32
// platform copies it field by field into the real one, other platforms read what they need.

#include <cstdint>

#include "framework/IconImage.h"
#include "framework/Messages.h"

namespace zerka {

enum class TNotifyIconMessage : std::uint32_t {
  Add = 0,
  Modify = 1,
  Remove = 2,
  SetVersion = 4,
};

namespace nif {
inline constexpr std::uint32_t Message = 0x01;
inline constexpr std::uint32_t Icon = 0x02;
inline constexpr std::uint32_t Tip = 0x04;
inline constexpr std::uint32_t Info = 0x10;
}  // namespace nif

namespace niif {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Info = 1;
inline constexpr std::uint32_t Warning = 2;
inline constexpr std::uint32_t Error = 3;
}  // namespace niif

struct TNotifyIconData {
  static constexpr std::uint32_t kRecordSize = 488;
  static constexpr int kTipSize = 128;
  static constexpr int kInfoSize = 256;
  static constexpr int kInfoTitleSize = 64;

  std::uint32_t cbSize = 0;
  // The window that receives the callbacks: uCallbackMessage with WParam = uID and
  // LParam = the notification code (a mouse message or msg::Balloon*).
  TWindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  // The picture; empty for none.
  TIconImagePtr hIcon;
  char szTip[kTipSize] = {};
  std::uint32_t dwState = 0;
  std::uint32_t dwStateMask = 0;
  char szInfo[kInfoSize] = {};
  // Balloon display time in milliseconds, or the callback style for SetVersion.
  std::uint32_t uTimeoutOrVersion = 0;
  char szInfoTitle[kInfoTitleSize] = {};
  std::uint32_t dwInfoFlags = 0;
};

}  // namespace zerka
