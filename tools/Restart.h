#pragma once
// zerka2ctl restart: the window's restart request, with the reason when it fails.

#include <optional>
#include <string>

#include "remote/Zerka2Remote.h"
#include "tools/HostLookup.h"

namespace zerka {

struct RestartOutcome {
  enum { Taken, Refused, Failed } Kind = Failed;
  std::string Why;  // UTF-8, naming the server; empty when taken
};

// The request the tray menu's restart sends, through the same client. A failed admin-port
// query is reported through the client's error event and the request goes to 2506, as there.
RestartOutcome RequestRestart(TZerka2Remote& remote, const ServerAddress& server,
                              const std::string& userName, const std::string& password);

}  // namespace zerka
