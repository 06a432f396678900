#pragma once
// Start at log-on and the session's one instance, in memory, for tests of the program's start.

#include <utility>
#include <vector>

#include "framework/Autostart.h"
#include "framework/SingleInstance.h"

namespace zerka::headless {

class THeadlessAutostart : public IAutostartPort {
 public:
  bool Enable() override { return Enabled = true; }
  bool Disable() override {
    Enabled = false;
    return true;
  }
  bool IsEnabled() override { return Enabled; }

  bool Enabled = false;
};

// A test plays the other process: HeldElsewhere makes claims fail, Handler is where a later
// start's request would arrive.
class THeadlessInstance : public IInstancePort {
 public:
  bool Claim(TInstanceRequestHandler handler) override {
    if (HeldElsewhere) return false;
    Handler = std::move(handler);
    return true;
  }
  bool Request(TInstanceRequest request) override {
    Requests.push_back(request);
    return true;
  }

  bool HeldElsewhere = false;
  TInstanceRequestHandler Handler;
  std::vector<TInstanceRequest> Requests;
};

}  // namespace zerka::headless
