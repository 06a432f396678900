#pragma once
// One round of the monitor's polling cycle for zerka2ctl: the line-status record, then the
// line state and the lock state, with whatever the client reported on the way.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "remote/Zerka2Remote.h"

namespace zerka {

struct ServerStatus {
  std::int32_t Connections = 0;
  std::uint8_t LineState = TZerka2Remote::NoValidState;
  std::uint8_t LockState = TZerka2Remote::NoValidState;
  std::int32_t SecondsUntilHangup = 0;
  std::string DialupAddress;
  std::int32_t OnlineSeconds = 0;

  bool operator==(const ServerStatus&) const = default;
};

// The four lines of the tray tip (CR LF between them).
std::string TrayTip(const ServerStatus& status);

struct PollResult {
  // Missing when the refresh or the line-state query failed: the window ends its cycle there.
  // After a server message it holds the record cached before.
  std::optional<ServerStatus> Status;
  std::vector<std::string> Errors;  // the client's reports, in order (Latin-1)
  // What the server sent instead of the record ("Unbekannter Datentyp" for an unknown answer).
  std::optional<std::string> ServerMessage;
};

class StatusPoller {
 public:
  StatusPoller(const std::string& host, int port);

  PollResult Poll();
  TZerka2Remote& Remote() { return remote_; }

 private:
  TZerka2Remote remote_;
  PollResult* current_ = nullptr;
};

}  // namespace zerka
