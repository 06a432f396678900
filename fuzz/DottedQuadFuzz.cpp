// The dotted-quad test that decides whether a host is looked up, and the address bytes read
// from such a text.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "net/NetSocketLayer.h"

using namespace zerka;
using namespace zerka::fuzz;

namespace {

// Four dot-separated decimal numbers up to 255, leading zeros allowed: the byte values, or
// nothing.
std::optional<std::vector<int>> QuadBytes(const std::string& text) {
  std::vector<int> bytes;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find('.', start);
    const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    int value = 0;
    for (const char c : part) {
      value = value * 10 + (c - '0');
      if (value > 255) return std::nullopt;
    }
    bytes.push_back(value);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (bytes.size() != 4) return std::nullopt;
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input(data, size);
  const std::string text = input.Rest();
  const auto expected = QuadBytes(text);
  Expect(IsDottedQuad(text) == expected.has_value(), "a dotted quad is four numbers up to 255");
  if (expected) {
    const auto address = AddressFromText(text);
    for (std::size_t i = 0; i < 4; ++i) Expect(address[i] == (*expected)[i], "the address bytes are the numbers");
    Expect(IsDottedQuad(AddressToText(address)), "an address prints as a dotted quad");
  }
  return 0;
}
