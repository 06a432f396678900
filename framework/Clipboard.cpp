#include "framework/Clipboard.h"

#include "framework/Platform.h"

namespace zerka {

bool TClipboard::SetAsText(const std::string& text) { return Platform().Shell().SetClipboardText(text); }

std::string TClipboard::AsText() {
  std::string text;
  if (!Platform().Shell().GetClipboardText(text)) text.clear();
  return text;
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace zerka
