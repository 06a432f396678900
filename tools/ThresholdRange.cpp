#include "tools/ThresholdRange.h"

#include <charconv>
#include <cmath>

namespace zerka {
namespace {

std::optional<double> ParseFinite(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

bool ThresholdRange::Alerts(double value) const {
  const bool inside = (!Start || value >= *Start) && (!End || value <= *End);
  return inside == AlertInside;
}

std::optional<ThresholdRange> ParseThresholdRange(const std::string& text) {
  ThresholdRange range;
  range.Text = text;
  std::string rest = text;
  if (!rest.empty() && rest[0] == '@') {
    range.AlertInside = true;
    rest.erase(0, 1);
  }
  const auto colon = rest.find(':');
  if (colon == std::string::npos) {
    range.Start = 0.0;
    range.End = ParseFinite(rest);
    if (!range.End) return std::nullopt;
  } else {
    const std::string start = rest.substr(0, colon);
    const std::string end = rest.substr(colon + 1);
    if (start != "~") {
      range.Start = start.empty() ? std::optional<double>(0.0) : ParseFinite(start);
      if (!range.Start) return std::nullopt;
    }
    if (!end.empty()) {
      range.End = ParseFinite(end);
      if (!range.End) return std::nullopt;
    }
    if (start.empty() && end.empty()) return std::nullopt;
  }
  if (range.Start && range.End && *range.Start > *range.End) return std::nullopt;
  return range;
}

}  // namespace zerka
