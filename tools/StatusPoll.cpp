#include "tools/StatusPoll.h"

#include "remote/LineStatusText.h"

namespace zerka {

std::string TrayTip(const ServerStatus& status) {
  return TrayTipText(LineStateText(status.LineState), LockStateText(status.LockState),
                     FormatDuration(status.SecondsUntilHangup), status.DialupAddress,
                     FormatDuration(status.OnlineSeconds));
}

StatusPoller::StatusPoller(const std::string& host, int port) {
  remote_.SetHost(host);
  remote_.SetPort(port);
  remote_.SetOnError([this](TComponent*, const std::string& Text) {
    if (current_) current_->Errors.push_back(Text);
  });
  remote_.SetShowMessage([this](const std::string& Text) {
    if (current_) current_->ServerMessage = Text;
  });
}

PollResult StatusPoller::Poll() {
  PollResult result;
  current_ = &result;
  ServerStatus status;
  status.Connections = remote_.GetConnections(true);
  status.SecondsUntilHangup = remote_.GetSecondsUntilHangup(false);
  status.OnlineSeconds = remote_.GetOnlineSeconds(false);
  status.DialupAddress = remote_.GetDialupAddress(false);
  if (result.Errors.empty()) {
    status.LineState = remote_.GetLineState();
    if (result.Errors.empty()) {
      status.LockState = remote_.GetLockState();
      result.Status = status;
    }
  }
  current_ = nullptr;
  return result;
}

}  // namespace zerka
