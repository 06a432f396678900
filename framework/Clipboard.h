#pragma once
// The clipboard, plain 8-bit text.

#include <string>

namespace zerka {

class TClipboard {
 public:
  // False when the clipboard could not be written.
  bool SetAsText(const std::string& text);
  // Empty when the clipboard holds no text.
  std::string AsText();
};

TClipboard& Clipboard();

}  // namespace zerka
