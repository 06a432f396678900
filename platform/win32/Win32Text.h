#pragma once
// Text at the edge to Windows: the program's 8-bit texts are Windows-1252 (Latin-1 with the
// printable characters of 0x80..0x9F), Windows takes UTF-16. The conversion is done here by
// table, never through the system's ANSI code page, so the same bytes read the same on a
// Russian Windows, or one set to UTF-8, as on a German one.

#include <string>
#include <string_view>

namespace zerka::win32 {

// The UTF-16 unit of one byte (every byte has one).
wchar_t WideOf(unsigned char byte);
// The byte of one UTF-16 unit; false for a character the program's texts cannot hold.
bool ByteOf(wchar_t unit, unsigned char& byte);

std::wstring Wide(std::string_view text);
// Characters the program's texts cannot hold become '?', a surrogate pair one '?'.
std::string Narrow(std::wstring_view text);

}  // namespace zerka::win32
