#include "net/NetHeaderList.h"

#include <algorithm>

namespace zerka {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string WithoutLeadingBlanks(const std::string& text, std::size_t from) {
  while (from < text.size() && IsBlank(text[from])) ++from;
  return text.substr(std::min(from, text.size()));
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

int TNetHeaderList::IndexOfName(const std::string& name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto colon = lines_[i].find(':');
    if (colon != std::string::npos && SameTextIgnoringCase(lines_[i].substr(0, colon), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::size_t TNetHeaderList::ContinuationEnd(std::size_t index) const {
  std::size_t end = index + 1;
  while (end < lines_.size() && !lines_[end].empty() && IsBlank(lines_[end].front())) ++end;
  return end;
}

std::string TNetHeaderList::Values(const std::string& name) const {
  const int index = IndexOfName(name);
  if (index < 0) return std::string();
  const auto first = static_cast<std::size_t>(index);
  std::string value = WithoutLeadingBlanks(lines_[first], lines_[first].find(':') + 1);
  for (std::size_t i = first + 1; i < ContinuationEnd(first); ++i) {
    if (value.empty() || !IsBlank(value.back())) value += ' ';
    value += WithoutLeadingBlanks(lines_[i], 0);
  }
  return value;
}

void TNetHeaderList::Remove(const std::string& name) {
  const int index = IndexOfName(name);
  if (index < 0) return;
  const auto first = static_cast<std::size_t>(index);
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
               lines_.begin() + static_cast<std::ptrdiff_t>(ContinuationEnd(first)));
}

}  // namespace zerka
