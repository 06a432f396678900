#include "base/Latin1.h"

namespace zerka {

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char c : latin1) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (b >> 6));
      utf8 += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return utf8;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 1;
    if (lead >= 0xF0) length = 4;
    else if (lead >= 0xE0) length = 3;
    else if (lead >= 0xC0) length = 2;
    if (lead < 0x80) {
      latin1 += static_cast<char>(lead);
    } else if (length == 2 && i + 1 < utf8.size() && lead <= 0xC3 &&
               (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      latin1 += static_cast<char>(((lead & 0x03) << 6) | (utf8[i + 1] & 0x3F));
    } else {
      latin1 += '?';
    }
    i += length;
  }
  return latin1;
}

}  // namespace zerka
