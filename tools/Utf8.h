#pragma once
// zerka2ctl's reports are UTF-8 once they name the server: the host stays as it was typed,
// which Latin-1 cannot always hold.

#include <cstddef>
#include <string>

namespace zerka {

struct CodePoint {
  char32_t Value = 0;
  std::size_t Length = 1;  // bytes taken, at least one
  bool Valid = false;      // false: a byte that starts no well-formed character
};

CodePoint DecodeUtf8At(const std::string& utf8, std::size_t at);

bool IsUtf8(const std::string& text);

// C0, DEL and C1: what could steer a terminal.
constexpr bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace zerka
