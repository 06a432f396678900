#pragma once
// Headless pointer, keyboard, clipboard, shell and locale: the test sets the cursor position,
// the keys held down and the double-click time; clipboard text and opened documents stay in
// memory; dates and times are written in the German form whatever the machine's locale, so
// that tests read the same everywhere.

#include <set>
#include <string>
#include <vector>

#include "framework/Platform.h"

namespace zerka::headless {

struct TShellOpenCall {
  TWindowHandle Owner;
  std::string Target;
  TShowCommand Show;
};

class THeadlessDesktop : public IInputPort, public IShellPort, public ILocalePort {
 public:
  bool GetCursorPos(TPoint& pos) override;
  bool IsKeyDown(TVirtualKey key) override { return KeysDown.count(key) != 0; }
  std::uint32_t GetDoubleClickTime() override { return DoubleClickTime; }
  bool SetClipboardText(const std::string& text) override;
  bool GetClipboardText(std::string& text) override;
  bool ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) override;
  // "08.12.2026 14:05:09"
  std::string DateTimeText() override;

  // --- for tests
  TPoint Cursor;
  bool CursorAvailable = true;
  std::set<TVirtualKey> KeysDown;
  std::uint32_t DoubleClickTime = 500;
  std::string ClipboardText;
  bool ClipboardHasText = false;
  bool ClipboardAvailable = true;
  std::vector<TShellOpenCall> Opened;
  bool ShellOpenSucceeds = true;
};

}  // namespace zerka::headless
