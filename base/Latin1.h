#pragma once
// The system's texts are 8-bit Latin-1 strings. Source files are UTF-8, so literals with
// umlauts are converted at compile time: "Größe"_l1 holds the bytes 47 72 F6 DF 65.

#include <cstddef>
#include <string>
#include <string_view>

namespace zerka {

template <std::size_t N>
struct Latin1Literal {
  char bytes[N]{};
  std::size_t size = 0;

  consteval Latin1Literal(const char (&utf8)[N]) {
    for (std::size_t i = 0; i + 1 < N;) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      if (lead < 0x80) {
        bytes[size++] = static_cast<char>(lead);
        i += 1;
      } else if ((lead == 0xC2 || lead == 0xC3) && i + 2 < N) {
        const auto trail = static_cast<unsigned char>(utf8[i + 1]);
        if ((trail & 0xC0) != 0x80) throw "malformed UTF-8 in a Latin-1 literal";
        bytes[size++] = static_cast<char>(((lead & 0x03) << 6) | (trail & 0x3F));
        i += 2;
      } else {
        throw "character outside Latin-1 in a Latin-1 literal";
      }
    }
  }
};

// Latin-1 text to UTF-8, for terminals and toolkits that speak UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);
// UTF-8 to Latin-1; characters outside Latin-1 become "?".
std::string Utf8ToLatin1(std::string_view utf8);

}  // namespace zerka

template <zerka::Latin1Literal L>
std::string operator""_l1() {
  return std::string(L.bytes, L.size);
}
