#pragma once
// zerka2ctl watch: polls like the window and prints what would raise a balloon there.

#include <chrono>
#include <ostream>

#include "tools/IntervalWait.h"
#include "tools/StatusPoll.h"

namespace zerka {

constexpr std::chrono::milliseconds DefaultWatchInterval{1000};
constexpr std::chrono::milliseconds MinWatchInterval{50};

struct WatchOptions {
  std::chrono::milliseconds Interval = DefaultWatchInterval;
  bool Json = false;
};

// Runs until wait reports a stop (exit status 0) or standard output fails (2).
int Watch(StatusPoller& poller, const WatchOptions& options, IntervalWait& wait, std::ostream& out,
          std::ostream& err);

}  // namespace zerka
