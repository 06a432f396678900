#pragma once
// Pointer, keyboard, clipboard and the shell on Qt:
//  [x] cursor position (QCursor, or where a tray host said its click was while that click is
//      handled: Wayland tells a program nothing of the pointer outside its windows), Shift/
//      Ctrl/Alt held down, the double-click time, the beep
//  [x] clipboard as plain text (QClipboard), Latin-1 at the edge
//  [x] opening a URL or file in the user's preferred program (QDesktopServices)

#include <QPoint>

#include <optional>

#include "framework/Platform.h"

namespace zerka::qt {

class TQtServices : public IInputPort, public IShellPort {
 public:
  // The pointer is at `at` while this lives (nowhere new when `at` is 0, 0: hosts that know
  // no position send that).
  class TPointerAt {
   public:
    TPointerAt(TQtServices& services, QPoint at) : services_(services), before_(services.pointerAt_) {
      if (!at.isNull()) services_.pointerAt_ = at;
    }
    ~TPointerAt() { services_.pointerAt_ = before_; }
    TPointerAt(const TPointerAt&) = delete;
    TPointerAt& operator=(const TPointerAt&) = delete;

   private:
    TQtServices& services_;
    std::optional<QPoint> before_;
  };

  bool GetCursorPos(TPoint& pos) override;
  bool IsKeyDown(TVirtualKey key) override;
  std::uint32_t GetDoubleClickTime() override;
  void Beep() override;

  bool SetClipboardText(const std::string& text) override;
  bool GetClipboardText(std::string& text) override;
  bool ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) override;

 private:
  std::optional<QPoint> pointerAt_;
};

}  // namespace zerka::qt
