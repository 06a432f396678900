#pragma once
// One running program per user session. The first start claims the session; a later start
// finds the running program and hands it a request instead of adding a second tray icon.

#include <functional>

namespace zerka {

// Show and Quit reach the running program's handler; Terminate ends its process from outside.
enum class TInstanceRequest { Show, Quit, Terminate };
using TInstanceRequestHandler = std::function<void(TInstanceRequest)>;

class IInstancePort {
 public:
  virtual ~IInstancePort() = default;
  // Claims the session for this process. From then on the requests of later starts reach the
  // handler on the user-interface thread, through the event loop. False when another process
  // holds the session.
  virtual bool Claim(TInstanceRequestHandler handler) = 0;
  // Hands a request to the process that holds the session.
  // Show: true when the session has its program (it took the request, or it does not answer);
  //   false when none holds the session any more, so that this start may claim it.
  // Quit: waits up to 10 s until that process has ended; true when none runs any more.
  // Terminate: ends that process at once; true when none runs any more.
  virtual bool Request(TInstanceRequest request) = 0;
  // The claiming program is ending: the handler is dropped, later requests are refused and a
  // later start may claim the session.
  virtual void Release() = 0;
};

}  // namespace zerka
