// Base64 of the user name and password of the Authorization line: any bytes encode, and the
// encoding decodes back to them.

#include <cstdint>
#include <string_view>
#include <string>

#include "fuzz/FuzzInput.h"
#include "net/NetBase64.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Decoded(const std::string& encoded) {
  std::string bytes;
  std::uint32_t group = 0;
  int bits = 0;
  for (const char c : encoded) {
    if (c == '=') break;
    group = (group << 6) | static_cast<std::uint32_t>(Alphabet.find(c));
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((group >> bits) & 0xFF);
    }
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  const std::string text = input.Rest();
  const std::string encoded = EncodeBase64(text);
  Expect(encoded.size() == (text.size() + 2) / 3 * 4, "four characters for every three bytes begun");
  const auto padding = encoded.find('=');
  Expect(encoded.find_first_not_of(Alphabet) == padding, "only the alphabet before the padding");
  Expect(padding == std::string::npos || encoded.size() - padding <= 2, "at most two padding characters");
  Expect(Decoded(encoded) == text, "the encoding decodes to the bytes");
  return 0;
}
