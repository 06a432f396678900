#pragma once
// Message boxes and popup menus.

#include <functional>

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32Dialogs final : public IDialogPort {
 public:
  // fallbackOwner gives the window that owns a menu shown without an owner of its own.
  explicit TWin32Dialogs(std::function<TWindowHandle()> fallbackOwner) : fallbackOwner_(std::move(fallbackOwner)) {}
  TModalResult ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption,
                              TMsgButtons buttons, TMsgIcon icon) override;
  int TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos, TWindowHandle owner) override;

 private:
  std::function<TWindowHandle()> fallbackOwner_;
};

}  // namespace zerka::win32
