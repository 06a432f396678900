#include "net/NetBase64.h"

#include <cstdint>

namespace zerka {

std::string EncodeBase64(const std::string& text) {
  static constexpr char Alphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  encoded.reserve((text.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < text.size(); i += 3) {
    const std::size_t available = text.size() - i;
    std::uint32_t group = std::uint32_t{static_cast<unsigned char>(text[i])} << 16;
    if (available > 1) group |= std::uint32_t{static_cast<unsigned char>(text[i + 1])} << 8;
    if (available > 2) group |= static_cast<unsigned char>(text[i + 2]);
    encoded += Alphabet[(group >> 18) & 0x3F];
    encoded += Alphabet[(group >> 12) & 0x3F];
    encoded += available > 1 ? Alphabet[(group >> 6) & 0x3F] : '=';
    encoded += available > 2 ? Alphabet[group & 0x3F] : '=';
  }
  return encoded;
}

}  // namespace zerka
