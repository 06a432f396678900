#pragma once
// The text of one settings file: the values of one key as "Name=Value" lines, UTF-8 on disk,
// Latin-1 in memory. Reading is lenient (a hand-edited or damaged file yields what can be
// read); writing produces a file that reads back to exactly the same values.
//
//   # comment              ; comment
//   [Zerka 2 Remote 2]     the key's section; lines in other sections are not the key's
//   Proxy Port=4295        a value: the name, "=", the text (blanks around both are dropped)
//   HTTP Passwort=" a\"b " a quoted text keeps its blanks; \\ \" \n \r \t \xHH are escapes
//
// Names compare without regard to case, as the registry's do; the last of equal names wins.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zerka::qt {

using TSettingsValues = std::vector<std::pair<std::string, std::string>>;

// The values of the section `section` (and of lines before any section header).
TSettingsValues ParseSettingsFile(std::string_view fileText, std::string_view section);
std::string FormatSettingsFile(const TSettingsValues& values, std::string_view section);

// Registry-style name comparison: letters of any case are equal.
bool SameSettingsName(std::string_view a, std::string_view b);
// Sets or adds a value; false when the name cannot be stored in the file format.
bool SetSettingsValue(TSettingsValues& values, const std::string& name, const std::string& text);
const std::string* FindSettingsValue(const TSettingsValues& values, std::string_view name);

// UTF-8 to Latin-1, lenient: a byte that starts no valid sequence is taken as Latin-1 itself,
// a character beyond Latin-1 becomes "?".
std::string DecodeFileText(std::string_view utf8);

}  // namespace zerka::qt
