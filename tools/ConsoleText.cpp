#include "tools/ConsoleText.h"

#include "base/Latin1.h"
#include "tools/Utf8.h"

namespace zerka {

std::string ConsoleText(const std::string& latin1) { return ConsoleUtf8(Latin1ToUtf8(latin1)); }

std::string ConsoleUtf8(const std::string& utf8) {
  std::string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const CodePoint c = DecodeUtf8At(utf8, i);
    const bool crBeforeLf = c.Value == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n';
    if (!crBeforeLf) {
      const bool shown = c.Valid && (!IsControl(c.Value) || c.Value == '\t' || c.Value == '\n');
      text += shown ? utf8.substr(i, c.Length) : std::string("?");
    }
    i += c.Length;
  }
  return text;
}

std::string ArgumentText(const std::string& arg) {
#ifdef _WIN32
  return arg;
#else
  return Utf8ToLatin1(arg);
#endif
}

std::string ArgumentUtf8(const std::string& arg) {
#ifdef _WIN32
  return Latin1ToUtf8(arg);
#else
  return IsUtf8(arg) ? arg : Latin1ToUtf8(arg);
#endif
}

}  // namespace zerka
