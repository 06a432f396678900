#include "framework/Timer.h"

#include "base/Latin1.h"

namespace zerka {
namespace {

constexpr std::uintptr_t kTimerId = 1;

}  // namespace

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), window_(std::make_unique<TMessageWindow>([this](TMessage& message) {
        if (message.Msg != msg::Timer) return false;
        Tick();
        return true;
      })) {}

TTimer::~TTimer() {
  if (armed_) Platform().Timers().KillTimer(window_->Handle(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  auto& timers = Platform().Timers();
  if (armed_) {
    timers.KillTimer(window_->Handle(), kTimerId);
    armed_ = false;
  }
  if (!enabled_ || interval_ == 0 || !onTimer_) return;
  if (!timers.SetTimer(window_->Handle(), kTimerId, interval_)) {
    throw EOutOfResources("Nicht genügend Timer verfügbar"_l1);
  }
  armed_ = true;
}

void TTimer::Tick() {
  if (onTimer_) onTimer_(this);
}

}  // namespace zerka
