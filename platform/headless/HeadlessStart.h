#pragma once
// Start at log-on and the session's one instance, in memory, for tests of the program's start.

#include <utility>
#include <vector>

#include "framework/Autostart.h"
#include "framework/SingleInstance.h"

namespace zerka::headless {

// Fails: every change is refused, as a registry or folder without write access would.
class THeadlessAutostart : public IAutostartPort {
 public:
  bool Enable() override {
    if (Fails) return false;
    return Enabled = true;
  }
  bool Disable() override {
    if (Fails) return false;
    Enabled = false;
    return true;
  }
  bool IsEnabled() override { return Enabled; }

  bool Enabled = false;
  bool Fails = false;
};

// A test plays the other process: HeldElsewhere makes claims fail (until a Show request finds
// the session free again when FreedByShow), Handler is where a later start's request would
// arrive, ArrivingOnClaim reaches the handler the moment the session is claimed, before the
// program has made its window.
class THeadlessInstance : public IInstancePort {
 public:
  bool Claim(TInstanceRequestHandler handler) override {
    ++Claims;
    if (HeldElsewhere) return false;
    Handler = std::move(handler);
    for (const TInstanceRequest request : ArrivingOnClaim) Handler(request);
    return true;
  }
  bool Request(TInstanceRequest request) override {
    Requests.push_back(request);
    if (request == TInstanceRequest::Show && FreedByShow) {
      HeldElsewhere = false;
      return false;
    }
    return Answers;
  }
  void Release() override {
    Handler = nullptr;
    Released = true;
  }

  bool HeldElsewhere = false;
  bool FreedByShow = false;
  bool Answers = true;
  bool Released = false;
  int Claims = 0;
  TInstanceRequestHandler Handler;
  std::vector<TInstanceRequest> ArrivingOnClaim;
  std::vector<TInstanceRequest> Requests;
};

}  // namespace zerka::headless
