#pragma once
// One running program per user session on Windows.
//
// The marker is a mutex that the running program owns (so it is free again the moment that
// program's thread ends, however it ends), in a private namespace whose boundary carries the
// user's SID: no other user can make that namespace, so none can squat the marker. Where
// private namespaces are missing (XP), the session's own namespace stands in, under a name
// with the SID, and a marker whose owner is another user counts as none. Every object is made
// with the user as owner and the only one allowed in, so an elevated and a normal start of
// the same user reach each other; a marker this start may not open counts as held.
//
// Beside the mutex the running program keeps a record of its process and its message-only
// window ("Zerka2RemoteInstance"); a later start reads the window from there and sends it a
// registered message, which the window answers at once (taken, or refused while ending) and
// hands on to the handler through the event loop.

#include <string>
#include <vector>

#include "framework/SingleInstance.h"

namespace zerka::win32 {

class TWin32Instance : public IInstancePort {
 public:
  TWin32Instance();
  ~TWin32Instance() override;
  TWin32Instance(const TWin32Instance&) = delete;
  TWin32Instance& operator=(const TWin32Instance&) = delete;

  bool Claim(TInstanceRequestHandler handler) override;
  bool Request(TInstanceRequest request) override;
  void Release() override;

  // The marker's full name: "Zerka2Remote-<SID>\Session<N>" in the private namespace, else
  // "Local\Zerka2Remote-<SID>".
  const std::string& MarkerName() const { return markerName_; }
  // Whether some process of this user holds the session now.
  bool SessionHeld() const;

  // The registered message a request travels as (WParam: 0 show, 1 quit).
  static unsigned RequestMessage();

  // What the instance window answers with; the window proc reaches it through the window.
  struct TReceiver {
    TInstanceRequestHandler Handler;
    bool Accepting = false;
    std::vector<TInstanceRequest> Pending;
  };

 private:
  bool ClaimWithoutMarker(TInstanceRequestHandler handler);
  void PublishWindow();
  void* RunningWindow(unsigned long& processId) const;
  void* FindRunning(unsigned long& processId, unsigned long boundMs) const;
  bool WaitUntilGone(void* process, unsigned long start, unsigned long boundMs) const;
  bool Show();
  bool Quit();
  bool Terminate();

  std::string sid_;
  std::string sidText_;
  std::string markerName_;
  std::string recordName_;
  void* boundary_ = nullptr;
  void* namespace_ = nullptr;
  bool unreachable_ = false;
  void* mutex_ = nullptr;
  void* mapping_ = nullptr;
  void* record_ = nullptr;
  void* window_ = nullptr;
  TReceiver receiver_;
};

}  // namespace zerka::win32
