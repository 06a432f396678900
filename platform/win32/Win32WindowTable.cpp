// Window table and the common window procedures:
//  [x] handle -> record lookup for message windows, the application window, forms, controls
//  [x] messages go to the window's handler first; unhandled ones to DefWindowProcW or the
//      control's own class procedure
//  [x] WM_COMMAND from a control (and Enter/Escape from the dialog manager) reach the
//      control's handler as msg::Command with the notification code
//  [x] owner-drawn picture buttons, panel bevels, group box insides and caption colours,
//      Enter's default button, Tab order moves
//  [x] a form's DPI change: the suggested place, a fixed form's size from the layout (also the
//      answer to WM_GETDPISCALEDSIZE), its controls rescaled from the layout;
//      every DPI or display change reported to the display-change handler (tray pictures)
#include "platform/win32/Win32WindowTable.h"

#include <unordered_map>
#include <utility>

#include "platform/win32/Win32Controls.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Focus.h"
#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

std::unordered_map<HWND, TWindowRecordPtr>& Table() {
  static std::unordered_map<HWND, TWindowRecordPtr> table;
  return table;
}

std::function<void()>& DisplayChangeHandler() {
  static std::function<void()> handler;
  return handler;
}

bool IsDisplayChange(UINT message) {
  return message == kDpiChangedMessage || message == WM_DISPLAYCHANGE || message == WM_SETTINGCHANGE;
}

SIZE FormSizeAtDpi(const TWindowRecord& form, int dpi) {
  return OuterSizeForDpi(form.LayoutClient, static_cast<DWORD>(GetWindowLongPtrW(form.Window, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongPtrW(form.Window, GWL_EXSTYLE)), dpi);
}

bool HasFixedLayout(const TWindowRecord& form) { return form.LayoutClient.cx > 0 && form.LayoutClient.cy > 0; }

// A form moved to a monitor of another scale: it goes where the system suggests and lays its
// controls out anew from the layout. A fixed-size form takes its size from the layout too, so
// that its client area is the layout's times the scale however often it moves.
void ChangeFormDpi(TWindowRecord& form, WPARAM wParam, LPARAM lParam) {
  form.Dpi = LOWORD(wParam);
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  SIZE size{suggested->right - suggested->left, suggested->bottom - suggested->top};
  if (HasFixedLayout(form)) size = FormSizeAtDpi(form, form.Dpi);
  RescaleControls(form.Window, form.Dpi);
  SetWindowPos(form.Window, nullptr, suggested->left, suggested->top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(form.Window, nullptr, TRUE);
}

std::exception_ptr& PendingException() {
  static std::exception_ptr pending;
  return pending;
}

// Runs a handler; an escaping exception is kept for the loop instead of crossing user32.
bool CallHandler(const TWindowRecord& record, TMessage& message) {
  if (!record.Handler) return false;
  try {
    return record.Handler(message);
  } catch (...) {
    if (!PendingException()) PendingException() = std::current_exception();
    message.Result = 0;
    return true;
  }
}

struct TControlIdSearch {
  int Id;
  HWND Found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<TControlIdSearch*>(lParam);
  if (GetDlgCtrlID(window) != search->Id) return TRUE;
  search->Found = window;
  return FALSE;
}

// The control a WM_COMMAND is about: its sender, else the form's default or cancel button
// (Enter and Escape), else the descendant carrying the command's id.
TWindowRecordPtr CommandTarget(HWND parent, WPARAM wParam, LPARAM lParam) {
  if (auto sender = FindWindowRecord(reinterpret_cast<HWND>(lParam)); sender && sender->Role == TWindowRole::Control) {
    return sender;
  }
  const int id = LOWORD(wParam);
  const HWND form = GetAncestor(parent, GA_ROOT);
  if (auto formRecord = FindWindowRecord(form)) {
    if (id == IDOK && formRecord->DefaultButton) return FindWindowRecord(formRecord->DefaultButton);
    if (id == IDCANCEL && formRecord->CancelButton) return FindWindowRecord(formRecord->CancelButton);
  }
  TControlIdSearch search{id, nullptr};
  EnumChildWindows(form, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.Found ? FindWindowRecord(search.Found) : nullptr;
}

// Notifications that a parent receives on behalf of its controls.
bool RouteToControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND) {
    auto target = CommandTarget(parent, wParam, lParam);
    if (!target) return false;
    TMessage command{msg::Command, HIWORD(wParam), reinterpret_cast<std::intptr_t>(target->Window), 0};
    // Enter and Escape come without a code of their own: they press the button.
    if (reinterpret_cast<HWND>(lParam) != target->Window) command.WParam = control_notify::Clicked;
    CallHandler(*target, command);
    result = 0;
    return true;
  }
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    // Captions sit on the face colour of the window around them; edit fields keep theirs.
    auto target = FindWindowRecord(reinterpret_cast<HWND>(lParam));
    if (!target || target->Role != TWindowRole::Control) return false;
    const TControlKind kind = target->Kind;
    if (kind != TControlKind::Label && kind != TControlKind::CheckBox && kind != TControlKind::GroupBox) return false;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    auto target = FindWindowRecord(item->hwndItem);
    if (!target || item->CtlType != ODT_BUTTON) return false;
    DrawPictureButton(*item, *target);
    result = TRUE;
    return true;
  }
  return false;
}

// What a form does as the dialog manager's partner (IsDialogMessageW asks it), and its focus
// kept while it is inactive or hidden; the application window passes activation on to it.
bool FormDialogMessage(TWindowRecord& form, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT& result) {
  if (form.Role == TWindowRole::ApplicationWindow) return PassActivationToForm(form, message, wParam);
  if (form.Role != TWindowRole::Form) return false;
  if (KeepFocusAcrossActivation(form, message, wParam, lParam)) {
    result = 0;
    return true;
  }
  if (message == DM_GETDEFID) {
    result = form.DefaultButton ? MAKELRESULT(GetDlgCtrlID(form.DefaultButton), DC_HASDEFID) : 0;
    return true;
  }
  if (message == WM_NEXTDLGCTL) {
    HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                       : GetNextDlgTabItem(form.Window, GetFocus(), wParam != 0);
    if (next) {
      SetFocus(next);
      if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    }
    result = 0;
    return true;
  }
  return false;
}

// A typed character reaches the program's handlers as its byte; one the program's texts cannot
// hold as '?', which no handler takes for another (the control itself still gets it).
WPARAM CharAsByte(UINT message, WPARAM wParam) {
  if (message != WM_CHAR) return wParam;
  unsigned char byte = '?';
  return wParam <= 0xFFFF && ByteOf(static_cast<wchar_t>(wParam), byte) ? byte : '?';
}

void Forget(HWND window) {
  auto found = Table().find(window);
  if (found == Table().end()) return;
  if (found->second->Glyph) DestroyIcon(found->second->Glyph);
  if (found->second->DisabledGlyph) DestroyIcon(found->second->DisabledGlyph);
  RemovePropW(window, kTabOrderProperty);
  Table().erase(found);
}

}  // namespace

void AddWindow(const TWindowRecordPtr& record) { Table()[record->Window] = record; }

TWindowRecordPtr FindWindowRecord(HWND window) {
  if (!window) return nullptr;
  auto found = Table().find(window);
  return found == Table().end() ? nullptr : found->second;
}

LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const TWindowRecordPtr record = FindWindowRecord(window);
  if (!record) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  if (RouteToControl(window, message, wParam, lParam, result)) return result;
  if (IsDisplayChange(message) && DisplayChangeHandler()) DisplayChangeHandler()();
  if (message == kDpiChangedMessage && record->Role == TWindowRole::Form) {
    ChangeFormDpi(*record, wParam, lParam);
    return 0;
  }
  if (message == kGetDpiScaledSizeMessage && record->Role == TWindowRole::Form && HasFixedLayout(*record)) {
    *reinterpret_cast<SIZE*>(lParam) = FormSizeAtDpi(*record, LOWORD(wParam));
    return TRUE;
  }
  TMessage handled{message, wParam, lParam, 0};
  if (CallHandler(*record, handled)) {
    result = handled.Result;
  } else if (!FormDialogMessage(*record, message, wParam, lParam, result)) {
    if (record->Role == TWindowRole::Panel && message == WM_PAINT) {
      PaintPanel(window);
    } else {
      result = DefWindowProcW(window, message, wParam, lParam);
    }
  }
  if (message == WM_NCDESTROY) Forget(window);
  return result;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const TWindowRecordPtr record = FindWindowRecord(window);
  if (!record) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  // Group boxes are parents too.
  if (RouteToControl(window, message, wParam, lParam, result)) return result;
  if (message == WM_SETFOCUS) NoteFocusedControl(window);
  TMessage handled{message, CharAsByte(message, wParam), lParam, 0};
  if (CallHandler(*record, handled)) {
    result = handled.Result;
  } else if (message == WM_GETDLGCODE && record->Kind == TControlKind::Button) {
    result = PictureButtonDialogCode(window);
  } else if (message == WM_ERASEBKGND && record->Kind == TControlKind::GroupBox) {
    // A group box draws only its frame; its inside is left to whoever erases it.
    result = EraseWithFace(window, reinterpret_cast<HDC>(wParam));
  } else {
    result = CallWindowProcW(record->Original, window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->Original));
    Forget(window);
  }
  return result;
}

const wchar_t* OwnWindowClass() {
  static const wchar_t* name = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = OwnWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    // The program's own icon from its resources, for the title bar and the task switcher;
    // without one (a test program) the system's default.
    windowClass.hIcon = LoadIconW(windowClass.hInstance, L"MAINICON");
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"ZerkaWindow";
    RegisterClassW(&windowClass);
    return windowClass.lpszClassName;
  }();
  return name;
}

const wchar_t* PanelWindowClass() {
  static const wchar_t* name = [] {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = OwnWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"ZerkaPanel";
    RegisterClassW(&windowClass);
    return windowClass.lpszClassName;
  }();
  return name;
}

void SetDisplayChangeHandler(std::function<void()> handler) { DisplayChangeHandler() = std::move(handler); }

void RethrowHandlerException() {
  if (!PendingException()) return;
  std::exception_ptr pending = std::exchange(PendingException(), nullptr);
  std::rethrow_exception(pending);
}

}  // namespace zerka::win32
