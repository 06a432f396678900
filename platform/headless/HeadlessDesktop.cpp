#include "platform/headless/HeadlessDesktop.h"

namespace zerka::headless {

bool THeadlessDesktop::GetCursorPos(TPoint& pos) {
  if (!CursorAvailable) return false;
  pos = Cursor;
  return true;
}

bool THeadlessDesktop::SetClipboardText(const std::string& text) {
  if (!ClipboardAvailable) return false;
  ClipboardText = text;
  ClipboardHasText = true;
  return true;
}

bool THeadlessDesktop::GetClipboardText(std::string& text) {
  if (!ClipboardAvailable || !ClipboardHasText) return false;
  text = ClipboardText;
  return true;
}

bool THeadlessDesktop::ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) {
  Opened.push_back({owner, target, show});
  return ShellOpenSucceeds;
}

}  // namespace zerka::headless
