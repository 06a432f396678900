#pragma once
// Window messages as the framework and its platforms exchange them. The numbers are those of
// the Windows message set, so the Win32 platform passes them through unchanged and the other
// platforms synthesise the same values.

#include <cstdint>

namespace zerka {

// A platform window (a hidden message window, the application window, a form or a control);
// 0 is no window.
using TWindowHandle = std::uintptr_t;

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

struct TMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

namespace msg {
inline constexpr std::uint32_t Null = 0;
inline constexpr std::uint32_t Destroy = 2;
inline constexpr std::uint32_t Size = 5;
inline constexpr std::uint32_t Close = 16;
inline constexpr std::uint32_t QueryEndSession = 17;
inline constexpr std::uint32_t Quit = 18;
inline constexpr std::uint32_t EndSession = 22;
inline constexpr std::uint32_t ShowWindow = 24;
inline constexpr std::uint32_t WindowPosChanged = 71;
inline constexpr std::uint32_t NcDestroy = 130;
inline constexpr std::uint32_t Command = 273;
inline constexpr std::uint32_t SysCommand = 274;
inline constexpr std::uint32_t Timer = 275;
inline constexpr std::uint32_t MouseMove = 512;
inline constexpr std::uint32_t LButtonDown = 513;
inline constexpr std::uint32_t LButtonUp = 514;
inline constexpr std::uint32_t LButtonDblClk = 515;
inline constexpr std::uint32_t RButtonDown = 516;
inline constexpr std::uint32_t RButtonUp = 517;
inline constexpr std::uint32_t RButtonDblClk = 518;
inline constexpr std::uint32_t MButtonDown = 519;
inline constexpr std::uint32_t MButtonUp = 520;
inline constexpr std::uint32_t MButtonDblClk = 521;
inline constexpr std::uint32_t User = 0x0400;
// Notification-area balloon codes, delivered like mouse codes in a tray callback's LParam.
inline constexpr std::uint32_t BalloonShow = User + 2;
inline constexpr std::uint32_t BalloonHide = User + 3;
inline constexpr std::uint32_t BalloonTimeout = User + 4;
inline constexpr std::uint32_t BalloonUserClick = User + 5;
// A platform asks a form to show itself, as the program's own Show would: sent when the
// program would otherwise be unreachable (no notification area on the desktop).
inline constexpr std::uint32_t ShowRequest = 0x8000 + 1;
}  // namespace msg

// WParam values of msg::Size.
namespace size_kind {
inline constexpr std::uintptr_t Restored = 0;
inline constexpr std::uintptr_t Minimized = 1;
}  // namespace size_kind

// WParam values of msg::SysCommand.
namespace sys_command {
inline constexpr std::uintptr_t Minimize = 0xF020;
inline constexpr std::uintptr_t Close = 0xF060;
inline constexpr std::uintptr_t Restore = 0xF120;
}  // namespace sys_command

// LParam of msg::ShowWindow when the window is hidden because its owner is closing.
inline constexpr std::intptr_t kShowParentClosing = 1;

// Ways to show a window; the values are the Windows show commands.
enum class TShowCommand : std::int32_t {
  Hide = 0,
  ShowNormal = 1,
  ShowMinimized = 2,
  ShowMaximized = 3,
  Show = 5,
  Minimize = 6,
  Restore = 9,
};

// Virtual key codes the framework asks about.
enum class TVirtualKey : std::int32_t { Shift = 0x10, Control = 0x11, Menu = 0x12 };

}  // namespace zerka
