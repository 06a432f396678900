#pragma once
// The clipboard as plain text and the shell's "open".

#include <functional>

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32Shell final : public IShellPort {
 public:
  // clipboardOwner gives the window that owns what is put on the clipboard.
  explicit TWin32Shell(std::function<TWindowHandle()> clipboardOwner) : clipboardOwner_(std::move(clipboardOwner)) {}
  bool SetClipboardText(const std::string& text) override;
  bool GetClipboardText(std::string& text) override;
  bool ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) override;

 private:
  std::function<TWindowHandle()> clipboardOwner_;
};

}  // namespace zerka::win32
