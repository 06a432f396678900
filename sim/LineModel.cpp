#include "sim/LineModel.h"

namespace zerka::sim {

namespace {

using std::chrono::milliseconds;

std::string AddressForDialup(std::int32_t dialup) {
  // Each dial-up gets another address from the provider's pool.
  return "192.168.100." + std::to_string((22 + dialup - 1) % 254 + 1);
}

std::int32_t WholeSeconds(milliseconds span) { return static_cast<std::int32_t>(span.count() / 1000); }

std::int32_t SecondsRoundedUp(milliseconds span) { return static_cast<std::int32_t>((span.count() + 999) / 1000); }

}  // namespace

LineModel::LineModel(const Clock& clock, LineTiming timing) : clock_(clock), timing_(timing) {}

void LineModel::Advance() {
  const milliseconds now = clock_.Now();
  if (phase_ == Phase::Dialling && now >= dialStarted_ + timing_.dialDuration) {
    if (dialAttemptsFail_) {
      phase_ = Phase::Failed;
    } else {
      phase_ = Phase::Up;
      connectedAt_ = dialStarted_ + timing_.dialDuration;
      lastTraffic_ = connectedAt_;
      ++connections_;
      address_ = AddressForDialup(connections_);
    }
  }
  if (phase_ == Phase::Up && now >= lastTraffic_ + timing_.idleHangup) HangUp();
}

LineStatus LineModel::Status() {
  Advance();
  LineStatus status;
  status.locked = locked_;
  status.connections = connections_;
  switch (phase_) {
    case Phase::Down: status.state = LineState::NotConnected; break;
    case Phase::Dialling: status.state = LineState::Dialling; break;
    case Phase::Failed: status.state = LineState::AttemptFailed; break;
    case Phase::Up: {
      const milliseconds now = clock_.Now();
      status.state = LineState::Connected;
      status.onlineSeconds = WholeSeconds(now - connectedAt_);
      status.secondsUntilHangup = SecondsRoundedUp(lastTraffic_ + timing_.idleHangup - now);
      status.address = address_;
      break;
    }
  }
  if (locked_) status.state = LineState::DialupLocked;
  return status;
}

void LineModel::Dial() {
  phase_ = Phase::Dialling;
  dialStarted_ = clock_.Now();
}

void LineModel::HangUp() {
  phase_ = Phase::Down;
  address_.clear();
}

void LineModel::FetchMail() {
  Advance();
  if (locked_) return;
  if (phase_ == Phase::Up) {
    lastTraffic_ = clock_.Now();
  } else if (phase_ != Phase::Dialling) {
    Dial();
  }
}

void LineModel::Logout() {
  Advance();
  HangUp();
}

void LineModel::ToggleLock() {
  Advance();
  locked_ = !locked_;
  if (locked_) HangUp();
}

void LineModel::Restart() {
  HangUp();
  connections_ = 0;
}

void LineModel::NoteTraffic() {
  Advance();
  if (phase_ == Phase::Up) lastTraffic_ = clock_.Now();
}

void LineModel::SetNotConnected() { HangUp(); }

void LineModel::SetDialling() {
  address_.clear();
  Dial();
}

void LineModel::SetConnected(const std::string& address, std::chrono::seconds onlineFor, std::chrono::seconds untilHangup) {
  const milliseconds now = clock_.Now();
  phase_ = Phase::Up;
  address_ = address;
  connectedAt_ = now - onlineFor;
  lastTraffic_ = now - (timing_.idleHangup - untilHangup);
}

void LineModel::SetAttemptFailed() {
  phase_ = Phase::Failed;
  address_.clear();
}

void LineModel::SetLocked(bool locked) { locked_ = locked; }

void LineModel::SetConnections(std::int32_t connections) { connections_ = connections; }

void LineModel::SetDialAttemptsFail(bool fail) { dialAttemptsFail_ = fail; }

void LineModel::SetTiming(LineTiming timing) { timing_ = timing; }

}  // namespace zerka::sim
