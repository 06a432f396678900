#include "tray/SimpleTimer.h"

#include <memory>
#include <unordered_set>

#include "framework/MessageWindow.h"

namespace zerka {

class TSimpleTimerHandler {
 public:
  TSimpleTimerHandler()
      : window_([this](TMessage& message) { return WndProc(message); }) {}

  TWindowHandle Handle() const { return window_.Handle(); }
  int TimerCount = 0;
  std::unordered_set<std::uintptr_t> Live;

 private:
  bool WndProc(TMessage& message) {
    if (message.Msg != msg::Timer) return false;
    if (Live.count(message.WParam)) reinterpret_cast<TSimpleTimer*>(message.WParam)->Tick();
    return true;
  }

  TMessageWindow window_;
};

namespace {

std::unique_ptr<TSimpleTimerHandler> handler;

}  // namespace

void AcquireTimerHandler() {
  if (!handler) handler = std::make_unique<TSimpleTimerHandler>();
  ++handler->TimerCount;
}

void ReleaseTimerHandler() {
  if (!handler) return;
  if (handler->TimerCount > 0) --handler->TimerCount;
  if (handler->TimerCount == 0) handler.reset();
}

bool TimerHandlerExists() { return handler != nullptr; }
int TimerHandlerCount() { return handler ? handler->TimerCount : 0; }

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, {}) {}

TSimpleTimer::TSimpleTimer(std::uint32_t intervalMs, TObjectEvent onTick)
    : timerId_(reinterpret_cast<std::uintptr_t>(this)), intervalMs_(intervalMs) {
  SetOnTick(std::move(onTick));
  AcquireTimerHandler();
  handler->Live.insert(timerId_);
}

TSimpleTimer::~TSimpleTimer() {
  if (running_) Disarm(true);
  handler->Live.erase(timerId_);
  ReleaseTimerHandler();
}

bool TSimpleTimer::Arm() {
  if (intervalMs_ == 0) return false;
  if (running_) Disarm(true);
  const bool set = Platform().Timers().SetTimer(handler->Handle(), timerId_, intervalMs_);
  if (set) running_ = true;
  return set;
}

bool TSimpleTimer::Disarm(bool ClearRunning) {
  if (ClearRunning) running_ = false;
  return Platform().Timers().KillTimer(handler->Handle(), timerId_);
}

void TSimpleTimer::SetRunning(bool running) {
  if (running) {
    Arm();
  } else {
    Disarm(true);
  }
}

void TSimpleTimer::SetIntervalMs(std::uint32_t intervalMs) {
  if (intervalMs == intervalMs_) return;
  intervalMs_ = intervalMs;
  if (!running_) return;
  if (intervalMs_ != 0) {
    Arm();
  } else {
    Disarm(false);
  }
}

void TSimpleTimer::SetOnTick(TObjectEvent onTick) {
  onTick_ = std::move(onTick);
  if (!onTick_ && running_) Disarm(false);
}

void TSimpleTimer::Tick() {
  // The callback may destroy this timer; it runs from its own copy.
  if (TObjectEvent tick = onTick_) tick(this);
}

}  // namespace zerka
