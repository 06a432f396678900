#include "tools/StatusPoll.h"

#include "remote/LineStatusText.h"

namespace zerka {
namespace {

// The client shows this text in place of a message when the answer's type is neither the
// record nor a message. A server does not send it as a message of its own.
constexpr const char* UnknownAnswerText = "Unbekannter Datentyp";

}  // namespace

std::string TrayTip(const ServerStatus& status) {
  return TrayTipText(LineStateText(status.LineState), LockStateText(status.LockState),
                     FormatDuration(status.SecondsUntilHangup), status.DialupAddress,
                     FormatDuration(status.OnlineSeconds));
}

StatusPoller::StatusPoller(const ServerAddress& server) : server_(server) {
  remote_.SetHost(server.Address);
  remote_.SetPort(server.Port);
  remote_.SetOnError([this](TComponent*, const std::string& Text) {
    if (current_) current_->Errors.push_back(server_.At(Text));
  });
  remote_.SetShowMessage([this](const std::string& Text) {
    if (!current_) return;
    if (Text == UnknownAnswerText) {
      current_->FaultyAnswer = server_.At(Text);
    } else {
      current_->ServerMessage = Text;
    }
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
