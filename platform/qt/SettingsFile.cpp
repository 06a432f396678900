#include "platform/qt/SettingsFile.h"

#include <cstdint>

#include "base/Latin1.h"

namespace zerka::qt {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char FoldCase(char c) {
  const auto b = static_cast<unsigned char>(c);
  // ASCII and the Latin-1 capitals (but not the multiplication sign).
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return static_cast<char>(b + 0x20);
  return c;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The inside of a quoted text; an unknown or cut escape stays as written.
std::string Unescape(std::string_view quoted) {
  std::string text;
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    const char c = quoted[i];
    if (c != '\\' || i + 1 == quoted.size()) {
      text += c;
      continue;
    }
    const char next = quoted[i + 1];
    switch (next) {
      case '\\': text += '\\'; ++i; break;
      case '"': text += '"'; ++i; break;
      case 'n': text += '\n'; ++i; break;
      case 'r': text += '\r'; ++i; break;
      case 't': text += '\t'; ++i; break;
      case 'x':
        if (i + 3 < quoted.size() && HexDigit(quoted[i + 2]) >= 0 && HexDigit(quoted[i + 3]) >= 0) {
          text += static_cast<char>(HexDigit(quoted[i + 2]) * 16 + HexDigit(quoted[i + 3]));
          i += 3;
        } else {
          text += c;
        }
        break;
      default: text += c; break;
    }
  }
  return text;
}

std::string ValueText(std::string_view written) {
  const std::string_view trimmed = Trim(written);
  if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
    return Unescape(trimmed.substr(1, trimmed.size() - 2));
  }
  return std::string(trimmed);
}

bool NeedsQuotes(const std::string& text) {
  if (text.empty()) return false;
  if (kBlanks.find(text.front()) != std::string_view::npos || kBlanks.find(text.back()) != std::string_view::npos ||
      text.front() == '"') {
    return true;
  }
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\') return true;
  }
  return false;
}

std::string Quoted(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string quoted = "\"";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (b < 0x20 || b == 0x7F) {
          quoted += "\\x";
          quoted += kHex[b >> 4];
          quoted += kHex[b & 0x0F];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

bool StorableName(std::string_view name) {
  if (name.empty() || name != Trim(name)) return false;
  if (name.front() == '#' || name.front() == ';' || name.front() == '[') return false;
  for (const char c : name) {
    if (c == '=' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

bool SameSettingsName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

const std::string* FindSettingsValue(const TSettingsValues& values, std::string_view name) {
  for (const auto& [held, text] : values) {
    if (SameSettingsName(held, name)) return &text;
  }
  return nullptr;
}

bool SetSettingsValue(TSettingsValues& values, const std::string& name, const std::string& text) {
  if (!StorableName(name)) return false;
  for (auto& [held, heldText] : values) {
    if (SameSettingsName(held, name)) {
      heldText = text;
      return true;
    }
  }
  values.emplace_back(name, text);
  return true;
}

std::string DecodeFileText(std::string_view utf8) {
  std::string latin1;
  latin1.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    }
    bool valid = length != 0 && i + length <= utf8.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto trail = static_cast<unsigned char>(utf8[i + k]);
      valid = (trail & 0xC0) == 0x80;
      code = (code << 6) | (trail & 0x3F);
    }
    // Over-long forms and surrogates are not valid UTF-8 either.
    if (valid && ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
                  (code >= 0xD800 && code <= 0xDFFF))) {
      valid = false;
    }
    if (!valid) {
      latin1 += static_cast<char>(lead);
      ++i;
      continue;
    }
    latin1 += code <= 0xFF ? static_cast<char>(code) : '?';
    i += length;
  }
  return latin1;
}

TSettingsValues ParseSettingsFile(std::string_view fileText, std::string_view section) {
  const std::string text = DecodeFileText(fileText);
  TSettingsValues values;
  bool inSection = true;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') continue;
    if (trimmed.front() == '[') {
      const auto close = trimmed.find(']');
      inSection = close != std::string_view::npos && SameSettingsName(Trim(trimmed.substr(1, close - 1)), section);
      continue;
    }
    const auto equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    const std::string_view name = Trim(line.substr(0, equals));
    if (name.empty()) continue;
    SetSettingsValue(values, std::string(name), ValueText(line.substr(equals + 1)));
  }
  return values;
}

std::string FormatSettingsFile(const TSettingsValues& values, std::string_view section) {
  std::string text = "[" + std::string(section) + "]\n";
  for (const auto& [name, value] : values) {
    text += name + "=" + (NeedsQuotes(value) ? Quoted(value) : value) + "\n";
  }
  return Latin1ToUtf8(text);
}

}  // namespace zerka::qt
