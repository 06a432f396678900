#pragma once
// A lightweight periodic timer that is not a component. All timers share one hidden window,
// made by the first timer and destroyed with the last; each sets a system timer on it under
// its own address as identifier, and the window turns each tick straight back into a call of
// that timer's OnTick. A tick for an identifier that is no longer alive is dropped.
//
// A running timer set to interval 0, or given an empty OnTick, stops ticking but stays marked
// Running; a later change to a different non-zero interval arms it again.

#include <cstdint>

#include "base/Object.h"
#include "framework/Events.h"

namespace zerka {

class TSimpleTimer : public TObject {
 public:
  TSimpleTimer();
  TSimpleTimer(std::uint32_t intervalMs, TObjectEvent onTick);
  ~TSimpleTimer() override;

  // Starts (or restarts) the period; false with interval 0 or when the system has no timer.
  bool Arm();
  // Stops the system timer; ClearRunning also ends the Running mark. False when no system
  // timer was set.
  bool Disarm(bool ClearRunning);

  bool Running() const { return running_; }
  void SetRunning(bool running);
  std::uint32_t IntervalMs() const { return intervalMs_; }
  void SetIntervalMs(std::uint32_t intervalMs);
  const TObjectEvent& OnTick() const { return onTick_; }
  void SetOnTick(TObjectEvent onTick);
  std::uintptr_t TimerId() const { return timerId_; }

 private:
  friend class TSimpleTimerHandler;
  void Tick();

  std::uintptr_t timerId_;
  bool running_ = false;
  std::uint32_t intervalMs_;
  TObjectEvent onTick_;
};

void AcquireTimerHandler();
void ReleaseTimerHandler();
// Whether the shared window exists, and how many timers use it.
bool TimerHandlerExists();
int TimerHandlerCount();

}  // namespace zerka
