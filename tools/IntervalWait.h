#pragma once
// The pause between two polls of zerka2ctl watch, which a request to stop cuts short.

#include <chrono>
#include <memory>

namespace zerka {

class IntervalWait {
 public:
  virtual ~IntervalWait() = default;
  // Waits up to interval; true as soon as a stop was asked for (also one asked for before).
  virtual bool StopRequestedWithin(std::chrono::milliseconds interval) = 0;
};

// Stops on SIGINT and SIGTERM, on Windows on Ctrl+C, Ctrl+Break and closing the console.
// While it lives those requests no longer end the program, so a poll in progress completes.
std::unique_ptr<IntervalWait> MakeConsoleStopWait();

}  // namespace zerka
