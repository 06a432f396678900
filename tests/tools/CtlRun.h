// zerka2ctl run in the test process, its two streams captured.
#pragma once

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "tools/Zerka2Ctl.h"

namespace zerka {

struct Outcome {
  int exitStatus = -1;
  std::string out;
  std::string err;
  std::chrono::milliseconds took{};
};

inline Outcome RunCaptured(const std::vector<std::string>& args, IntervalWait* wait = nullptr) {
  std::ostringstream out, err;
  Outcome outcome;
  const auto start = std::chrono::steady_clock::now();
  outcome.exitStatus = wait ? RunZerka2Ctl(args, out, err, *wait) : RunZerka2Ctl(args, out, err);
  outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

}  // namespace zerka
