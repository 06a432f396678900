#pragma once
// The periodic timer component. A change of Interval, Enabled or OnTimer to a different value
// drops the running period; when the timer is then enabled, has a non-zero interval and a
// handler, a new period starts, so the next tick comes one full interval after the change.
// Setting a value equal to the current one changes nothing.

#include <cstdint>
#include <memory>

#include "base/Component.h"
#include "base/Exception.h"
#include "framework/Events.h"
#include "framework/MessageWindow.h"

namespace zerka {

// The system has no timer left ("Nicht genügend Timer verfügbar").
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner = nullptr);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t interval);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

 private:
  void UpdateTimer();
  void Tick();

  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  bool armed_ = false;
  std::unique_ptr<TMessageWindow> window_;
};

}  // namespace zerka
