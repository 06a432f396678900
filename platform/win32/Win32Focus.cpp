#include "platform/win32/Win32Focus.h"

#include <cwchar>

namespace zerka::win32 {
namespace {

// The form itself may still be hidden: it can be activated before it shows (the tray menu's
// owner), and the focus it gives then is where the keyboard is once it shows.
bool CanTakeFocus(HWND form, HWND control) {
  return control && IsWindow(control) && IsChild(form, control) &&
         (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) && IsWindowEnabled(control);
}

LRESULT CALLBACK GermanButtonsHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const auto box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (std::wcscmp(className, L"#32770") == 0) {
      SetDlgItemTextW(box, IDOK, L"OK");
      SetDlgItemTextW(box, IDCANCEL, L"Abbrechen");
      SetDlgItemTextW(box, IDYES, L"&Ja");
      SetDlgItemTextW(box, IDNO, L"&Nein");
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

UINT PassActivationMessage() {
  static const UINT id = RegisterWindowMessageW(L"ZerkaPassActivation");
  return id;
}

struct TFormSearch {
  HWND Owner;
  HWND Found;
};

BOOL CALLBACK MatchFormOnScreen(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<TFormSearch*>(lParam);
  const auto record = FindWindowRecord(window);
  if (!record || record->Role != TWindowRole::Form || GetWindow(window, GW_OWNER) != search->Owner) return TRUE;
  if (!IsWindowVisible(window) || !IsWindowEnabled(window) || IsIconic(window)) return TRUE;
  search->Found = window;
  return FALSE;
}

void KeepFocusedControl(TWindowRecord& form) {
  const HWND focused = GetFocus();
  if (focused && IsChild(form.Window, focused)) form.FocusedControl = focused;
}

void RestoreFocusedControl(TWindowRecord& form) {
  HWND target = form.FocusedControl;
  if (!CanTakeFocus(form.Window, target)) target = GetNextDlgTabItem(form.Window, nullptr, FALSE);
  if (CanTakeFocus(form.Window, target)) SetFocus(target);
}

}  // namespace

bool PassActivationToForm(const TWindowRecord& application, UINT message, WPARAM wParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
    // Not while the activation is still under way.
    PostMessageW(application.Window, PassActivationMessage(), 0, 0);
    return false;
  }
  if (message != PassActivationMessage()) return false;
  TFormSearch search{application.Window, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchFormOnScreen, reinterpret_cast<LPARAM>(&search));
  if (search.Found && GetActiveWindow() == application.Window) SetActiveWindow(search.Found);
  return true;
}

void NoteFocusedControl(HWND control) {
  const auto form = FindWindowRecord(GetAncestor(control, GA_ROOT));
  if (form && form->Role == TWindowRole::Form) form->FocusedControl = control;
}

bool KeepFocusAcrossActivation(TWindowRecord& form, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        KeepFocusedControl(form);
      } else if (!HIWORD(wParam)) {
        RestoreFocusedControl(form);
      }
      return true;
    case WM_SETFOCUS:
      RestoreFocusedControl(form);
      return true;
    case WM_SHOWWINDOW:
      if (!wParam) KeepFocusedControl(form);
      return false;
    case WM_WINDOWPOSCHANGED:
      // Shown while it was already the active window: no activation follows to give the focus.
      if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) && GetActiveWindow() == form.Window &&
          !IsChild(form.Window, GetFocus())) {
        RestoreFocusedControl(form);
      }
      return false;
    default:
      return false;
  }
}

HWND MessageBoxOwner(HWND requested) {
  const HWND active = GetActiveWindow();
  const auto record = FindWindowRecord(active);
  const bool ownForm = record && record->Role == TWindowRole::Form && IsWindowVisible(active) && !IsIconic(active);
  return ownForm && GetWindow(active, GW_OWNER) == requested ? active : requested;
}

TGermanMessageBoxButtons::TGermanMessageBoxButtons()
    : hook_(SetWindowsHookExW(WH_CBT, GermanButtonsHook, nullptr, GetCurrentThreadId())) {}

TGermanMessageBoxButtons::~TGermanMessageBoxButtons() {
  if (hook_) UnhookWindowsHookEx(hook_);
}

void PlaceLabelBefore(HWND label, HWND field) {
  const HWND before = GetWindow(field, GW_HWNDPREV);
  if (before == label || GetParent(label) != GetParent(field)) return;
  SetWindowPos(label, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace zerka::win32
