// Input port:
//  [x] GetCursorPos (screen coordinates)
//  [x] GetAsyncKeyState for Shift, Ctrl, Alt
//  [x] GetDoubleClickTime
//  [x] the default warning sound (MessageBeep)
#include "platform/win32/Win32Input.h"

#include <windows.h>

namespace zerka::win32 {

bool TWin32Input::GetCursorPos(TPoint& pos) {
  POINT point;
  if (!::GetCursorPos(&point)) return false;
  pos = {point.x, point.y};
  return true;
}

bool TWin32Input::IsKeyDown(TVirtualKey key) {
  return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0;
}

std::uint32_t TWin32Input::GetDoubleClickTime() { return ::GetDoubleClickTime(); }

void TWin32Input::Beep() { MessageBeep(MB_OK); }

}  // namespace zerka::win32
