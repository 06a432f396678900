#pragma once
// The ports through which the framework reaches the operating system. A platform (Win32, Qt,
// headless) implements each of them once and installs itself with SetPlatform; nothing above
// platform/ calls the system directly.
//
// Texts crossing a port are 8-bit Latin-1 strings; each platform converts at its edge.
// Every call happens on the one user-interface thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/IconImage.h"
#include "framework/Messages.h"
#include "framework/NotifyIconData.h"
#include "framework/Picture.h"

namespace zerka {

// Receives the messages of one window. Returns true when it handled the message (its Result
// is then the answer); false hands it to the platform's default processing.
using TMessageHandler = std::function<bool(TMessage&)>;

// Event loop, posted messages, windows without a face.
//  - WaitAndDispatch blocks until it has dispatched at least one message; false once a quit
//    was posted, or when nothing could ever arrive (a headless loop that is idle).
//  - DispatchPending dispatches what is waiting and returns (one pass of the pump).
//  - A message window never shows; all of its messages, timer ticks and notification-area
//    callbacks included, go to its handler on this thread.
class IEventLoopPort {
 public:
  virtual ~IEventLoopPort() = default;
  virtual bool WaitAndDispatch() = 0;
  virtual void DispatchPending() = 0;
  virtual void PostQuit() = 0;
  virtual TWindowHandle CreateMessageWindow(TMessageHandler handler) = 0;
  virtual void DestroyMessageWindow(TWindowHandle window) = 0;
  // Queues a message for a window's handler; false when the window does not exist.
  virtual bool PostWindowMessage(TWindowHandle window, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Runs a window's handler (then default processing) at once and returns the result.
  virtual std::intptr_t SendWindowMessage(TWindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// Periodic timers on a window: each period brings msg::Timer with WParam = id to the
// window's handler, through the event loop, until the timer is killed. Setting an id that is
// already set restarts its period. SetTimer is false when the system has no timer left;
// KillTimer false when there is no such timer.
class ITimerPort {
 public:
  virtual ~ITimerPort() = default;
  virtual bool SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) = 0;
  virtual bool KillTimer(TWindowHandle window, std::uintptr_t id) = 0;
};

struct TPopupEntry {
  std::string Caption;  // "-" is a separator line
  TIconImagePtr Picture;  // empty for none
  bool Default = false;  // drawn bold
  bool Enabled = true;
  bool Checked = false;

  bool operator==(const TPopupEntry& other) const;
};

// An icon's menu as a tray host that draws menus itself reads it: the entries the icon's popup
// would show at this moment (none while it would not open), each with an id that stays the
// same for the life of its item, and a choice made there.
struct TMenuModelEntry {
  std::int32_t Id = 0;  // never 0
  TPopupEntry Entry;
  bool operator==(const TMenuModelEntry& other) const = default;
};

class IMenuModel {
 public:
  virtual ~IMenuModel() = default;
  virtual std::vector<TMenuModelEntry> MenuEntries() = 0;
  // Runs the entry's click as a choice in the popup does; false when no entry has the id now.
  virtual bool ChooseMenuEntry(std::int32_t id) = 0;
};

// The notification area. Each call passes the whole record; the result is whether the shell
// accepted it (a second Add of the same hWnd/uID is refused). User actions on an icon come
// back as data.uCallbackMessage to data.hWnd, WParam = uID, LParam = the code.
// TaskbarCreatedMessage is the message id the application window receives when the
// notification area has been re-created and has forgotten every icon; 0 when the system
// offers none.
// SetMenuModel names the menu of the icon with that window and id, for hosts that draw it
// themselves (nullptr: none); the model stays valid until it is replaced or taken away, and a
// platform whose hosts draw no menus ignores it.
class INotifyAreaPort {
 public:
  virtual ~INotifyAreaPort() = default;
  virtual bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) = 0;
  virtual std::uint32_t TaskbarCreatedMessage() = 0;
  virtual void SetMenuModel(TWindowHandle /*window*/, std::uint32_t /*id*/, IMenuModel* /*model*/) {}
};

// Modal dialogs. Both run a modal loop that keeps dispatching the thread's messages (timer
// ticks, notification-area callbacks) until the user answers.
enum class TMsgButtons : std::uint32_t { OK = 0, OKCancel = 1, YesNo = 4 };
enum class TMsgIcon : std::uint32_t { None = 0, Stop = 0x10, Question = 0x20, Warning = 0x30, Information = 0x40 };
enum class TModalResult : std::int32_t { None = 0, OK = 1, Cancel = 2, Yes = 6, No = 7 };

class IDialogPort {
 public:
  virtual ~IDialogPort() = default;
  // The button pressed; TModalResult::None when the box could not be shown.
  virtual TModalResult ShowMessageBox(TWindowHandle owner, const std::string& text,
                                      const std::string& caption, TMsgButtons buttons,
                                      TMsgIcon icon) = 0;
  // Shows a menu at a screen position and returns the index of the chosen entry, or -1 when
  // it was dismissed. Returns once the menu has closed.
  virtual int TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos,
                             TWindowHandle owner) = 0;
};

// Pointer and keyboard state, read when asked (not from the message being handled).
class IInputPort {
 public:
  virtual ~IInputPort() = default;
  virtual bool GetCursorPos(TPoint& pos) = 0;
  virtual bool IsKeyDown(TVirtualKey key) = 0;
  virtual std::uint32_t GetDoubleClickTime() = 0;
  // The system's default warning sound (a refused key, say); silent where there is none.
  virtual void Beep() {}
};

// Clipboard (plain 8-bit text) and the shell's "open" of a document or URL.
class IShellPort {
 public:
  virtual ~IShellPort() = default;
  virtual bool SetClipboardText(const std::string& text) = 0;
  virtual bool GetClipboardText(std::string& text) = 0;
  virtual bool ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) = 0;
};

// The user's way of writing dates and times.
class ILocalePort {
 public:
  virtual ~ILocalePort() = default;
  // The current local date and time as the user writes them: the short date, a blank, the
  // long time.
  virtual std::string DateTimeText() = 0;
};

// The current user's settings store with the registry's model: keys hold subkeys and named
// values; a value has a type and raw data (a string's data ends with its NUL).
// Key 0 stands for the current user's root.
using TSettingsKey = std::uintptr_t;
enum class TSettingsResult { Ok, NotFound, Failed };
enum class TValueType : std::uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  DWord = 4,
  MultiString = 7,
};

// The keys on a settings path ("Software\\Velmarin"), empty parts skipped.
std::vector<std::string> SplitKeyPath(const std::string& path);

class ISettingsPort {
 public:
  virtual ~ISettingsPort() = default;
  // Opens parent\path; with create, makes the missing keys on the way.
  virtual TSettingsResult OpenKey(TSettingsKey parent, const std::string& path, bool create,
                                  TSettingsKey& key) = 0;
  virtual void CloseKey(TSettingsKey key) = 0;
  virtual TSettingsResult QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                                     std::vector<std::uint8_t>& data) = 0;
  virtual TSettingsResult SetValue(TSettingsKey key, const std::string& name, TValueType type,
                                   const std::vector<std::uint8_t>& data) = 0;
};

// Visible windows: the application window (the hidden top-level window that carries the
// program's taskbar button), forms and their controls. A platform without a window system
// keeps the model only. ShowWindow sends the window's handler msg::ShowWindow (WParam 1 or 0,
// LParam 0) when its visibility changes, and msg::Size with size_kind::Minimized or Restored
// when it is minimised or restored, before it returns.
enum class TControlKind { CheckBox, Edit, PasswordEdit, SpinEdit, Button, Label, Panel, GroupBox, StatusBar };

struct TFormDesc {
  std::string Caption;
  TRect Bounds;  // left/top on the screen, width/height of the client area
  bool Resizable = false;
  bool MinimizeBox = true;
  bool MaximizeBox = false;
};

struct TControlDesc {
  TControlKind Kind = TControlKind::Label;
  std::string Text;
  TRect Bounds;  // within the parent's client area
  int TabOrder = -1;  // -1: takes no focus
  bool Default = false;  // the button pressed by Enter
  bool Cancel = false;  // the button pressed by Escape
  std::int32_t MinValue = 0;  // spin fields
  std::int32_t MaxValue = 0;
  TButtonGlyphPtr Glyph;  // buttons: drawn at its own size left of the caption
  bool Enabled = true;
};

// Notification codes a control sends to its handler as msg::Command (WParam = the code).
namespace control_notify {
inline constexpr std::uintptr_t Clicked = 0;
inline constexpr std::uintptr_t Changed = 0x300;
}  // namespace control_notify

class IWindowPort {
 public:
  virtual ~IWindowPort() = default;
  virtual TWindowHandle CreateApplicationWindow(const std::string& title, TMessageHandler handler) = 0;
  virtual TWindowHandle CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) = 0;
  virtual TWindowHandle CreateControl(TWindowHandle parent, const TControlDesc& desc,
                                      TMessageHandler handler) = 0;
  virtual void DestroyWindow(TWindowHandle window) = 0;
  virtual void SetText(TWindowHandle window, const std::string& text) = 0;
  virtual std::string GetText(TWindowHandle window) = 0;
  virtual void SetChecked(TWindowHandle window, bool checked) = 0;
  virtual bool GetChecked(TWindowHandle window) = 0;
  // A disabled control takes no input and draws itself greyed (a button its disabled glyph).
  virtual void SetEnabled(TWindowHandle window, bool enabled) = 0;
  virtual void SetFocus(TWindowHandle window) = 0;
  // The label names the field for screen readers, and its access key focuses the field.
  virtual void SetLabelFor(TWindowHandle /*label*/, TWindowHandle /*field*/) {}
  virtual bool ShowWindow(TWindowHandle window, TShowCommand command) = 0;
  virtual bool IsWindowVisible(TWindowHandle window) = 0;
  virtual bool IsIconic(TWindowHandle window) = 0;
  virtual bool SetForegroundWindow(TWindowHandle window) = 0;
  virtual TWindowHandle GetForegroundWindow() = 0;
};

// One platform: the set of ports above.
class IPlatform {
 public:
  virtual ~IPlatform() = default;
  virtual IEventLoopPort& EventLoop() = 0;
  virtual ITimerPort& Timers() = 0;
  virtual INotifyAreaPort& NotifyArea() = 0;
  virtual IDialogPort& Dialogs() = 0;
  virtual IInputPort& Input() = 0;
  virtual IShellPort& Shell() = 0;
  virtual ILocalePort& Locale() = 0;
  virtual ISettingsPort& Settings() = 0;
  virtual IWindowPort& Windows() = 0;
};

// The installed platform; raises an Exception when none is installed.
IPlatform& Platform();
// Installs a platform (nullptr uninstalls); returns the one installed before.
IPlatform* SetPlatform(IPlatform* platform);

}  // namespace zerka
