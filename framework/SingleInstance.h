#pragma once
// One running program per user session. The first start claims the session; a later start
// finds the running program and hands it a request instead of adding a second tray icon.

#include <functional>

namespace zerka {

enum class TInstanceRequest { Show, Quit };
using TInstanceRequestHandler = std::function<void(TInstanceRequest)>;

class IInstancePort {
 public:
  virtual ~IInstancePort() = default;
  // Claims the session for this process. From then on the requests of later starts reach the
  // handler on the user-interface thread, through the event loop. False when another process
  // holds the session.
  virtual bool Claim(TInstanceRequestHandler handler) = 0;
  // Hands a request to the process that holds the session. Show: true when it was delivered.
  // Quit: waits until that process has ended; true when none runs any more.
  virtual bool Request(TInstanceRequest request) = 0;
};

}  // namespace zerka
