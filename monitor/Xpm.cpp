#include "monitor/Xpm.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zerka {
namespace {

// Bounds that keep a damaged header from asking for absurd amounts of memory.
constexpr int kMaxSide = 1024;
constexpr int kMaxColors = 4096;
constexpr int kMaxCharsPerPixel = 4;

struct TColorEntry {
  std::uint32_t Color = 0;
  bool Transparent = false;
};

[[noreturn]] void Fail(const std::string& what) { throw EXpmError("XPM: " + what); }

std::vector<std::string_view> SplitBlanks(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    std::size_t end = pos;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    if (end > pos) words.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

int ParseCount(std::string_view word, int low, int high, const char* name) {
  if (word.empty() || word.size() > 7) Fail(std::string("bad ") + name);
  int value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') Fail(std::string("bad ") + name);
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) Fail(std::string(name) + " out of range");
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

TColorEntry ParseColorValue(std::string_view value) {
  if (EqualsNoCase(value, "None")) return {0, true};
  if (value.size() != 7 || value[0] != '#') Fail("colour '" + std::string(value) + "' is not #RRGGBB or None");
  std::uint32_t color = 0;
  for (char c : value.substr(1)) {
    int digit = HexDigit(c);
    if (digit < 0) Fail("colour '" + std::string(value) + "' is not #RRGGBB or None");
    color = color << 4 | static_cast<std::uint32_t>(digit);
  }
  return {color, false};
}

// "<chars> c <colour>", optionally with further key/value pairs (m, g4, g, s).
TColorEntry ParseColorLine(std::string_view rest) {
  const auto words = SplitBlanks(rest);
  if (words.empty() || words.size() % 2 != 0) Fail("colour line needs key/value pairs");
  bool hasColor = false;
  TColorEntry parsed;
  for (std::size_t i = 0; i < words.size(); i += 2) {
    const std::string_view key = words[i];
    if (key == "c") {
      if (hasColor) Fail("colour line has two 'c' keys");
      parsed = ParseColorValue(words[i + 1]);
      hasColor = true;
    } else if (key != "m" && key != "g4" && key != "g" && key != "s") {
      Fail("unknown colour key '" + std::string(key) + "'");
    }
  }
  if (!hasColor) Fail("colour line without a 'c' key");
  return parsed;
}

}  // namespace

TPicture ParseXpm(std::span<const char* const> lines) {
  for (const char* line : lines) {
    if (!line) Fail("null line");
  }
  if (lines.empty()) Fail("no values line");

  const auto values = SplitBlanks(lines[0]);
  // Width, height, colours, characters per pixel, and optionally a hotspot.
  if (values.size() != 4 && values.size() != 6) Fail("values line needs 4 or 6 numbers");
  const int width = ParseCount(values[0], 1, kMaxSide, "width");
  const int height = ParseCount(values[1], 1, kMaxSide, "height");
  const int colorCount = ParseCount(values[2], 1, kMaxColors, "colour count");
  const int charsPerPixel = ParseCount(values[3], 1, kMaxCharsPerPixel, "characters per pixel");
  if (values.size() == 6) {  // a hotspot: checked, not kept
    ParseCount(values[4], 0, width - 1, "hotspot x");
    ParseCount(values[5], 0, height - 1, "hotspot y");
  }

  const std::size_t expected = 1 + static_cast<std::size_t>(colorCount) + height;
  if (lines.size() != expected) {
    Fail("expected " + std::to_string(expected) + " lines, got " + std::to_string(lines.size()));
  }

  const auto cpp = static_cast<std::size_t>(charsPerPixel);
  std::unordered_map<std::string_view, TColorEntry> table;
  for (int i = 0; i < colorCount; ++i) {
    const std::string_view line = lines[1 + i];
    if (line.size() <= cpp || (line[cpp] != ' ' && line[cpp] != '\t')) {
      Fail("colour line " + std::to_string(i + 1) + " needs its characters, a blank and key/value pairs");
    }
    const std::string_view key = line.substr(0, cpp);
    if (!table.emplace(key, ParseColorLine(line.substr(cpp))).second) {
      Fail("colour '" + std::string(key) + "' defined twice");
    }
  }

  TPicture picture;
  picture.Width = width;
  picture.Height = height;
  picture.Colors.reserve(static_cast<std::size_t>(width) * height);
  picture.Transparent.reserve(static_cast<std::size_t>(width) * height);
  const std::size_t rowLength = static_cast<std::size_t>(width) * cpp;
  for (int y = 0; y < height; ++y) {
    const std::string_view row = lines[1 + colorCount + y];
    if (row.size() != rowLength) {
      Fail("row " + std::to_string(y) + " has " + std::to_string(row.size()) + " characters, expected " +
           std::to_string(rowLength));
    }
    for (std::size_t pos = 0; pos < rowLength; pos += cpp) {
      const auto found = table.find(row.substr(pos, cpp));
      if (found == table.end()) {
        Fail("row " + std::to_string(y) + " uses undefined colour '" + std::string(row.substr(pos, cpp)) + "'");
      }
      picture.Colors.push_back(found->second.Color);
      picture.Transparent.push_back(found->second.Transparent);
    }
  }
  return picture;
}

}  // namespace zerka
