#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

// 0x80..0x9F; the five bytes without a character keep their C1 code, as Windows maps them.
constexpr wchar_t kUpperControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

wchar_t WideOf(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kUpperControls[byte - 0x80] : static_cast<wchar_t>(byte);
}

bool ByteOf(wchar_t unit, unsigned char& byte) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    byte = static_cast<unsigned char>(unit);
    return true;
  }
  for (int index = 0; index < 32; ++index) {
    if (kUpperControls[index] == unit) {
      byte = static_cast<unsigned char>(0x80 + index);
      return true;
    }
  }
  return false;
}

std::wstring Wide(std::string_view text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (const char c : text) wide.push_back(WideOf(static_cast<unsigned char>(c)));
  return wide;
}

std::string Narrow(std::wstring_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t index = 0; index < text.size(); ++index) {
    unsigned char byte = '?';
    if (!ByteOf(text[index], byte)) {
      byte = '?';
      if (IsHighSurrogate(text[index]) && index + 1 < text.size() && IsLowSurrogate(text[index + 1])) ++index;
    }
    narrow.push_back(static_cast<char>(byte));
  }
  return narrow;
}

}  // namespace zerka::win32
