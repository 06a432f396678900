#pragma once
// Thresholds as monitoring plugins take them: "10" alerts outside 0..10, "10:" below 10,
// "~:10" above 10, "10:20" outside 10..20, "@10:20" inside it (the ends belong to the range).

#include <optional>
#include <string>

namespace zerka {

struct ThresholdRange {
  std::optional<double> Start;  // none: minus infinity
  std::optional<double> End;    // none: infinity
  bool AlertInside = false;
  std::string Text;  // as written, for the performance data

  bool Alerts(double value) const;
};

std::optional<ThresholdRange> ParseThresholdRange(const std::string& text);

}  // namespace zerka
