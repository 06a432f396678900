#pragma once
// Focus and reading order for the keyboard and screen readers:
//  [x] a form remembers its focused control when it is deactivated or hidden and gives the
//      focus back when it is activated again (after a message box, coming back from the
//      tray); a form that never had one focuses its first tab stop
//  [x] the application window (the taskbar button's) passes its activation on to the form
//  [x] a message box asked for by the application window is owned by the form the user is
//      in, so that the form is modal to it and active again afterwards
//  [x] message-box buttons in German whatever the system's language
//  [x] a label directly before its field in z-order: readers name an edit by the static text
//      before it, and the label's access key moves to the field

#include <windows.h>

#include "platform/win32/Win32WindowTable.h"

namespace zerka::win32 {

// A control of a form took the focus; the form gives it back to that control.
void NoteFocusedControl(HWND control);
// A form's messages of activation, focus and showing; true when it answered one (with 0).
bool KeepFocusAcrossActivation(TWindowRecord& form, UINT message, WPARAM wParam, LPARAM lParam);

// The application window, once activated (its taskbar button, a message box it owned closing),
// hands the activation on to its form on screen, which gives the focus to its control. True
// when the message was the platform's own.
bool PassActivationToForm(const TWindowRecord& application, UINT message, WPARAM wParam);

// The window to own a message box: the active form of ours, else the one asked for.
HWND MessageBoxOwner(HWND requested);

// While it lives, the thread's message boxes get German button texts.
class TGermanMessageBoxButtons {
 public:
  TGermanMessageBoxButtons();
  ~TGermanMessageBoxButtons();
  TGermanMessageBoxButtons(const TGermanMessageBoxButtons&) = delete;
  TGermanMessageBoxButtons& operator=(const TGermanMessageBoxButtons&) = delete;

 private:
  HHOOK hook_;
};

void PlaceLabelBefore(HWND label, HWND field);

}  // namespace zerka::win32
