#include "tools/StatusPoll.h"

#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "remote/LineStatusText.h"

namespace zerka {
namespace {

// The client shows this text in place of a message when the answer's type is neither the
// record nor a message. A server does not send it as a message of its own.
constexpr const char* UnknownAnswerText = "Unbekannter Datentyp";

// The client reports failures inside the exchange with this prefix to the transport's text.
constexpr const char* ExchangeFailurePrefix = "TCP-Fehler: ";

// Two transport texts read wrongly once the connection stood: a close is no success when the
// record was cut, and a read that waited in vain is no time-out while connecting.
std::string Report(const std::string& text) {
  const std::string prefix = ExchangeFailurePrefix;
  if (text == prefix + ENetConnClosedGracefully().Message()) {
    return "Antwort abgebrochen: Der Server hat die Verbindung vor dem Ende des "
           "Leitungsstatus geschlossen.";
  }
  if (text == prefix + SocketErrorText(WsaTimedOut)) {
    return "Keine Antwort: Der Server hat die Verbindung angenommen, den Leitungsstatus aber "
           "nicht rechtzeitig geschickt (Socket-Fehler # 10060).";
  }
  return text;
}

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
    if (current_) current_->Errors.push_back(server_.At(Report(Text)));
  });
  remote_.SetShowMessage([this](const std::string& Text) {
    if (!current_) return;
    if (Text == UnknownAnswerText) {
      current_->FaultyAnswer = server_.At(Text);
    } else {
      current_->ServerMessage = Latin1ToUtf8(Text);
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
