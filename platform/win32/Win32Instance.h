#pragma once
// One running program per user session on Windows.
//
// The marker is a mutex that the running program owns (so it is free again the moment that
// program's thread ends, however it ends), in a private namespace whose boundary carries the
// user's SID and the medium integrity label: no other user, and no sandboxed (low integrity)
// process of this user, can make that namespace, so none can squat the marker. Where private
// namespaces are missing (XP), or the namespace exists but cannot be opened, the session's own
// namespace stands in, under a name with the SID, and a marker whose owner is another user
// counts as none. Every object is made with the user as owner and the only one allowed in,
// labelled medium, so an elevated and a normal start of the same user reach each other; a
// marker this start may not open counts as held. The namespace of earlier versions (a boundary
// without the label) is looked into as well, so that a program started before an upgrade is
// still found.
//
// Beside the mutex the running program keeps a record of its process and its message-only
// window ("Zerka2RemoteInstance", titled with the user's SID, so the installer finds this
// user's program); a later start reads the window from there and sends it a registered
// message, which the window answers at once (taken, or refused while ending) and hands on to
// the handler through the event loop. That message passes from lower integrity levels, so a
// normal start reaches a program that an elevated installer started.

#include <string>
#include <vector>

#include "framework/SingleInstance.h"

namespace zerka::win32 {

// What became of this start's private namespace.
enum class TNamespaceState { Unsupported, Made, Opened, Unopenable };
// Whether the marker goes into the private namespace; else into the session's namespace.
bool MarkerInPrivateNamespace(TNamespaceState state);

class TWin32Instance : public IInstancePort {
 public:
  TWin32Instance();
  ~TWin32Instance() override;
  TWin32Instance(const TWin32Instance&) = delete;
  TWin32Instance& operator=(const TWin32Instance&) = delete;

  bool Claim(TInstanceRequestHandler handler) override;
  bool Request(TInstanceRequest request) override;
  void Release() override;

  // The marker's full name: "Zerka2Remote-<SID>-ME\Session<N>" in the private namespace, else
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
  void* RunningWindow(const std::string& recordName, unsigned long& processId) const;
  bool MarkerHeld(const std::string& markerName) const;
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
  // Earlier versions' namespace, opened only; empty names when it is not there.
  void* earlierBoundary_ = nullptr;
  void* earlierNamespace_ = nullptr;
  std::string earlierMarkerName_;
  std::string earlierRecordName_;
  void* mutex_ = nullptr;
  void* mapping_ = nullptr;
  void* record_ = nullptr;
  void* window_ = nullptr;
  TReceiver receiver_;
};

}  // namespace zerka::win32
