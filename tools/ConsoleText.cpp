#include "tools/ConsoleText.h"

#include "base/Latin1.h"

namespace zerka {

std::string ConsoleText(const std::string& latin1) {
  std::string text;
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    const auto byte = static_cast<unsigned char>(latin1[i]);
    if (latin1[i] == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n') continue;
    const bool control = (byte < 0x20 && byte != '\t' && byte != '\n') ||
                         (byte >= 0x7F && byte < 0xA0);
    text += control ? '?' : latin1[i];
  }
  return Latin1ToUtf8(text);
}

std::string ArgumentText(const std::string& arg) {
#ifdef _WIN32
  return arg;
#else
  return Utf8ToLatin1(arg);
#endif
}

}  // namespace zerka
