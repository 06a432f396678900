#pragma once
// Every window the platform made or subclassed, found by its handle. A window's record lives
// until the system has destroyed the window (WM_NCDESTROY); a handler that destroys its own
// window still runs to its end because the dispatcher holds the record.
//
// Implements for the other port files:
//  - the common window procedure of the platform's own classes and of subclassed controls
//  - routing of control notifications (WM_COMMAND, owner-drawn buttons) to the control's handler
//  - an exception escaping a handler is held and raised again once the dispatch has returned
//  - a form rescales itself and its controls when its DPI changes, to the layout's size

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "framework/Platform.h"

namespace zerka::win32 {

enum class TWindowRole { MessageWindow, ApplicationWindow, Form, Panel, Control };

struct TWindowRecord {
  HWND Window = nullptr;
  TMessageHandler Handler;
  // The class procedure of a subclassed control; null for the platform's own classes.
  WNDPROC Original = nullptr;
  TWindowRole Role = TWindowRole::MessageWindow;
  TControlKind Kind = TControlKind::Label;
  // Spin fields: the up-down control beside the edit.
  HWND Buddy = nullptr;
  // Controls: the bounds in the layout's pixels at 96 dpi, scaled to the form's DPI.
  TRect LayoutBounds;
  // Buttons: the picture drawn left of the caption and the one drawn while disabled, made
  // from Picture at the form's DPI.
  HICON Glyph = nullptr;
  HICON DisabledGlyph = nullptr;
  SIZE GlyphSize{0, 0};
  TButtonGlyphPtr Picture;
  // Status bars: the simple-mode text, which the control cannot hand back.
  std::string StatusText;
  // Forms: the buttons that Enter and Escape press.
  HWND DefaultButton = nullptr;
  HWND CancelButton = nullptr;
  // Forms: the control that had the focus when the form was last left.
  HWND FocusedControl = nullptr;
  // Forms: the dots per inch the form and its controls are scaled to.
  int Dpi = 96;
  // Fixed-size forms: the client area in the layout's pixels, which every DPI scales anew;
  // zero for a form whose user may resize it.
  SIZE LayoutClient{0, 0};
};

using TWindowRecordPtr = std::shared_ptr<TWindowRecord>;

void AddWindow(const TWindowRecordPtr& record);
TWindowRecordPtr FindWindowRecord(HWND window);

// The window procedure of the platform's classes ("ZerkaWindow", "ZerkaPanel").
LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The replacement procedure of every control the platform creates.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the platform's window classes once; returns the class name for plain windows.
const wchar_t* OwnWindowClass();
const wchar_t* PanelWindowClass();

// Runs whenever one of the platform's top-level windows learns that the screen's DPI or
// metrics may have changed.
void SetDisplayChangeHandler(std::function<void()> handler);

// Raises an exception that a handler let escape during the last dispatch, if any.
void RethrowHandlerException();

}  // namespace zerka::win32
