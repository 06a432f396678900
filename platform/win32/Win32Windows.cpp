// Window port:
//  [x] the application window: a real, hidden top-level window (it carries the taskbar
//      button and receives the shell's "TaskbarCreated" broadcast, also from below its
//      integrity level)
//  [x] forms: CreateWindowExW owned by the application window, single fixed border, system
//      menu with minimise and close only, client area as given in 96 dpi pixels and scaled to
//      the DPI the system gives the new window (GetDpiForWindow; AdjustWindowRectEx for it)
//  [x] controls (Win32Controls.cpp); text, check state, focus; a label before its field
//      (Win32Focus.cpp)
//  [x] ShowWindow / IsWindowVisible / IsIconic: the system sends WM_SHOWWINDOW and WM_SIZE
//      (SIZE_MINIMIZED, SIZE_RESTORED) to the window's handler before ShowWindow returns
//  [x] SetForegroundWindow / GetForegroundWindow
#include "platform/win32/Win32Windows.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "platform/win32/Win32Controls.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Focus.h"
#include "platform/win32/Win32Integrity.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32WindowTable.h"

namespace zerka::win32 {
namespace {

HWND ToHwnd(TWindowHandle window) { return reinterpret_cast<HWND>(window); }
TWindowHandle ToHandle(HWND window) { return reinterpret_cast<TWindowHandle>(window); }

HWND RegisterOwnWindow(HWND window, TWindowRole role, TMessageHandler handler) {
  if (!window) return nullptr;
  auto record = std::make_shared<TWindowRecord>();
  record->Window = window;
  record->Role = role;
  record->Handler = std::move(handler);
  AddWindow(record);
  return window;
}

DWORD FormStyle(const TFormDesc& desc) {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (desc.Resizable) style |= WS_THICKFRAME;
  if (desc.MinimizeBox) style |= WS_MINIMIZEBOX;
  if (desc.MaximizeBox) style |= WS_MAXIMIZEBOX;
  return style;
}

// The system menu offers only what the border and boxes allow.
void TrimSystemMenu(HWND form, const TFormDesc& desc) {
  HMENU menu = GetSystemMenu(form, FALSE);
  if (!menu) return;
  if (!desc.Resizable) DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  if (!desc.MaximizeBox) DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  if (!desc.MinimizeBox) DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
}

}  // namespace

TWindowHandle TWin32Windows::CreateApplicationWindow(const std::string& title, TMessageHandler handler) {
  // Zero-sized: once shown it is only a taskbar button.
  HWND window = CreateWindowExW(0, OwnWindowClass(), Wide(title).c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!RegisterOwnWindow(window, TWindowRole::ApplicationWindow, std::move(handler))) return 0;
  // A program started elevated still hears that Explorer has started again.
  LetThroughFromLowerIntegrity(window, RegisterWindowMessageW(L"TaskbarCreated"));
  HMENU menu = GetSystemMenu(window, FALSE);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  applicationWindow_ = ToHandle(window);
  return applicationWindow_;
}

TWindowHandle TWin32Windows::CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) {
  const DWORD style = FormStyle(desc);
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  // The position stays where the layout puts it on the screen; only sizes grow with the DPI.
  // The monitor at the top-left corner is a guess; once the window exists, the system says
  // which monitor's DPI it has.
  const int guessed = DpiAtPoint(POINT{desc.Bounds.Left, desc.Bounds.Top});
  const SIZE layoutClient{desc.Bounds.Width, desc.Bounds.Height};
  const SIZE outer = OuterSizeForDpi(layoutClient, style, exStyle, guessed);
  HWND form = CreateWindowExW(exStyle, OwnWindowClass(), Wide(desc.Caption).c_str(), style, desc.Bounds.Left,
                              desc.Bounds.Top, outer.cx, outer.cy, ToHwnd(ApplicationWindow()), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!RegisterOwnWindow(form, TWindowRole::Form, std::move(handler))) return 0;
  const int dpi = WindowDpi(form, guessed);
  if (dpi != guessed) {
    const SIZE actual = OuterSizeForDpi(layoutClient, style, exStyle, dpi);
    SetWindowPos(form, nullptr, 0, 0, actual.cx, actual.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (auto record = FindWindowRecord(form)) {
    record->Dpi = dpi;
    if (!desc.Resizable) record->LayoutClient = layoutClient;
  }
  SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi)), FALSE);
  TrimSystemMenu(form, desc);
  return ToHandle(form);
}

TWindowHandle TWin32Windows::CreateControl(TWindowHandle parent, const TControlDesc& desc, TMessageHandler handler) {
  return ToHandle(CreateControlWindow(ToHwnd(parent), desc, std::move(handler)));
}

void TWin32Windows::DestroyWindow(TWindowHandle window) {
  if (!window) return;
  if (auto record = FindWindowRecord(ToHwnd(window)); record && record->Buddy) ::DestroyWindow(record->Buddy);
  ::DestroyWindow(ToHwnd(window));
  if (window == applicationWindow_) applicationWindow_ = 0;
}

void TWin32Windows::SetText(TWindowHandle window, const std::string& text) {
  auto record = FindWindowRecord(ToHwnd(window));
  if (record && record->Kind == TControlKind::StatusBar && record->Role == TWindowRole::Control) {
    record->StatusText = text;
    const std::wstring wide = Wide(text);
    SendMessageW(ToHwnd(window), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
    // The first part holds the same text, unseen in simple mode, so that WM_GETTEXT from
    // outside (screen readers, test probes) reads the status line.
    SendMessageW(ToHwnd(window), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    return;
  }
  SetWindowTextW(ToHwnd(window), Wide(text).c_str());
  if (record && record->Role == TWindowRole::Control && record->Kind == TControlKind::Label) {
    FitLabelToCaption(ToHwnd(window));
  }
}

std::string TWin32Windows::GetText(TWindowHandle window) {
  auto record = FindWindowRecord(ToHwnd(window));
  if (record && record->Kind == TControlKind::StatusBar && record->Role == TWindowRole::Control) {
    return record->StatusText;
  }
  const int length = GetWindowTextLengthW(ToHwnd(window));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(ToHwnd(window), text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Narrow(text);
}

void TWin32Windows::SetChecked(TWindowHandle window, bool checked) {
  SendMessageW(ToHwnd(window), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TWin32Windows::GetChecked(TWindowHandle window) {
  return SendMessageW(ToHwnd(window), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWin32Windows::SetEnabled(TWindowHandle window, bool enabled) {
  EnableWindow(ToHwnd(window), enabled ? TRUE : FALSE);
}

void TWin32Windows::SetFocus(TWindowHandle window) { ::SetFocus(ToHwnd(window)); }

void TWin32Windows::SetLabelFor(TWindowHandle label, TWindowHandle field) {
  PlaceLabelBefore(ToHwnd(label), ToHwnd(field));
}

bool TWin32Windows::ShowWindow(TWindowHandle window, TShowCommand command) {
  const bool wasVisible = ::ShowWindow(ToHwnd(window), static_cast<int>(command)) != FALSE;
  RethrowHandlerException();
  return wasVisible;
}

bool TWin32Windows::IsWindowVisible(TWindowHandle window) { return ::IsWindowVisible(ToHwnd(window)) != FALSE; }

bool TWin32Windows::IsIconic(TWindowHandle window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

bool TWin32Windows::SetForegroundWindow(TWindowHandle window) {
  return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

TWindowHandle TWin32Windows::GetForegroundWindow() { return ToHandle(::GetForegroundWindow()); }

TWindowHandle TWin32Windows::ApplicationWindow() const { return applicationWindow_; }

}  // namespace zerka::win32
