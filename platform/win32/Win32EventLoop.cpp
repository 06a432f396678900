// Event loop and timer ports:
//  [x] GetMessageW/DispatchMessageA; modal loops (message boxes, menus) dispatch on their own
//  [x] Tab, Enter, Escape and access keys in forms through the dialog manager
//  [x] message-only windows for the shared handler windows (tray callbacks, timer ticks)
//  [x] PostMessageW/SendMessageA
//  [x] SetTimer/KillTimer with the caller's id on the caller's window
#include "platform/win32/Win32EventLoop.h"

#include <windows.h>

#include <memory>

#include "platform/win32/Win32WindowTable.h"

namespace zerka::win32 {
namespace {

HWND ToHwnd(TWindowHandle window) { return reinterpret_cast<HWND>(window); }

// Keyboard messages for a form's controls go through the dialog manager first.
bool IsFormKeyboardMessage(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd) return false;
  HWND form = GetAncestor(message.hwnd, GA_ROOT);
  auto record = FindWindowRecord(form);
  return record && record->Role == TWindowRole::Form && IsDialogMessageW(form, &message);
}

void Dispatch(MSG& message) {
  if (!IsFormKeyboardMessage(message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  RethrowHandlerException();
}

}  // namespace

bool TWin32EventLoop::WaitAndDispatch() {
  MSG message;
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  if (got == 0 || got == -1) return false;
  Dispatch(message);
  return true;
}

void TWin32EventLoop::DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The outer loop must still see the quit.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void TWin32EventLoop::PostQuit() { PostQuitMessage(0); }

TWindowHandle TWin32EventLoop::CreateMessageWindow(TMessageHandler handler) {
  HWND window = CreateWindowExW(0, OwnWindowClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) return 0;
  auto record = std::make_shared<TWindowRecord>();
  record->Window = window;
  record->Handler = std::move(handler);
  AddWindow(record);
  return reinterpret_cast<TWindowHandle>(window);
}

void TWin32EventLoop::DestroyMessageWindow(TWindowHandle window) {
  if (window) ::DestroyWindow(ToHwnd(window));
}

bool TWin32EventLoop::PostWindowMessage(TWindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
  return PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
}

std::intptr_t TWin32EventLoop::SendWindowMessage(TWindowHandle window, std::uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t lParam) {
  const LRESULT result = SendMessageW(ToHwnd(window), message, wParam, lParam);
  RethrowHandlerException();
  return result;
}

bool TWin32EventLoop::SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) {
  return ::SetTimer(ToHwnd(window), id, intervalMs, nullptr) != 0;
}

bool TWin32EventLoop::KillTimer(TWindowHandle window, std::uintptr_t id) {
  return ::KillTimer(ToHwnd(window), id) != FALSE;
}

}  // namespace zerka::win32
