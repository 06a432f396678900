#pragma once
// One round of the monitor's polling cycle for zerka2ctl: the line-status record, then the
// line state and the lock state, with whatever the client reported on the way.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "remote/Zerka2Remote.h"
#include "tools/HostLookup.h"

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
  // After a server message or a faulty answer it holds the record cached before.
  std::optional<ServerStatus> Status;
  // The texts below are UTF-8, as the reports name the host as typed.
  std::vector<std::string> Errors;  // the client's reports, in order, naming the server
  // What the server sent instead of the record.
  std::optional<std::string> ServerMessage;
  // An answer of a type the protocol does not know (another service on the port), naming the
  // server.
  std::optional<std::string> FaultyAnswer;

  bool RecordCurrent() const { return Status && !ServerMessage && !FaultyAnswer; }
  // Why the record is not of this poll: the server's text, or the fault's.
  std::optional<std::string> StaleBecause() const {
    return FaultyAnswer ? FaultyAnswer : ServerMessage;
  }
};

class StatusPoller {
 public:
  explicit StatusPoller(const ServerAddress& server);

  PollResult Poll();
  TZerka2Remote& Remote() { return remote_; }
  const ServerAddress& Server() const { return server_; }

 private:
  ServerAddress server_;
  TZerka2Remote remote_;
  PollResult* current_ = nullptr;
};

}  // namespace zerka
