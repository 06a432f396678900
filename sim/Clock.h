#pragma once
// The time the dial-up line runs on. The executable uses the steady clock; tests drive a
// manual one so that dialling, online time and the hang-up countdown need no waiting.

#include <atomic>
#include <chrono>

namespace zerka::sim {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary, fixed start; never goes backwards.
  virtual std::chrono::milliseconds Now() const = 0;
};

class SteadyClock : public Clock {
 public:
  std::chrono::milliseconds Now() const override;
};

// Starts at zero and moves only when told; safe to advance from the test thread while the
// server thread reads it.
class ManualClock : public Clock {
 public:
  std::chrono::milliseconds Now() const override;
  void Advance(std::chrono::milliseconds step);

 private:
  std::atomic<long long> millis_{0};
};

}  // namespace zerka::sim
