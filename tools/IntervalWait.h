#pragma once
// The pause between two polls of zerka2ctl watch, which a request to stop cuts short.

#include <chrono>
#include <memory>

namespace zerka {

class IntervalWait {
 public:
  virtual ~IntervalWait() = default;
  // Waits up to interval; true as soon as the watch is to end: a stop was asked for (also one
  // asked for before), or nobody reads its output any more.
  virtual bool StopRequestedWithin(std::chrono::milliseconds interval) = 0;
  // True once a stop was asked for, also while a poll runs: what that poll brings is not shown.
  virtual bool StopPending() { return false; }
};

// Stops on SIGINT and SIGTERM, on Windows on Ctrl+C, Ctrl+Break and closing the console, and
// when the reader of standard output has gone. A stop that comes during a poll ends the
// program within a second even if the poll is still waiting for the server; a second stop
// ends it at once. Both with exit status 0.
std::unique_ptr<IntervalWait> MakeConsoleStopWait();

}  // namespace zerka
