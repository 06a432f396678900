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
  bool Timestamps = false;
};

// Runs until wait reports a stop or standard output can no longer be written; exit status 0.
int Watch(StatusPoller& poller, const WatchOptions& options, IntervalWait& wait, std::ostream& out,
          std::ostream& err);

}  // namespace zerka
