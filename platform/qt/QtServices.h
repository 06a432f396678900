#pragma once
// Pointer, keyboard, clipboard and the shell on Qt:
//  [x] cursor position (QCursor), Shift/Ctrl/Alt held down, the double-click time, the beep
//  [x] clipboard as plain text (QClipboard), Latin-1 at the edge
//  [x] opening a URL or file in the user's preferred program (QDesktopServices)

#include "framework/Platform.h"

namespace zerka::qt {

class TQtServices : public IInputPort, public IShellPort {
 public:
  bool GetCursorPos(TPoint& pos) override;
  bool IsKeyDown(TVirtualKey key) override;
  std::uint32_t GetDoubleClickTime() override;
  void Beep() override;

  bool SetClipboardText(const std::string& text) override;
  bool GetClipboardText(std::string& text) override;
  bool ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) override;
};

}  // namespace zerka::qt
