#include "sim/Clock.h"

namespace zerka::sim {

std::chrono::milliseconds SteadyClock::Now() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

std::chrono::milliseconds ManualClock::Now() const { return std::chrono::milliseconds(millis_.load()); }

void ManualClock::Advance(std::chrono::milliseconds step) {
  if (step.count() > 0) millis_ += step.count();
}

}  // namespace zerka::sim
