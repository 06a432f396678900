#include "tools/ConsoleText.h"

#include "base/Latin1.h"

namespace zerka {

std::string ConsoleText(const std::string& latin1) {
  std::string text;
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    if (latin1[i] == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n') continue;
    text += latin1[i];
  }
#ifdef _WIN32
  return text;
#else
  return Latin1ToUtf8(text);
#endif
}

std::string ArgumentText(const std::string& arg) {
#ifdef _WIN32
  return arg;
#else
  return Utf8ToLatin1(arg);
#endif
}

}  // namespace zerka
