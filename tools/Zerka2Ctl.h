#pragma once
// zerka2ctl: the remote-control client for scripts and terminals.

#include <ostream>
#include <string>
#include <vector>

#include "tools/IntervalWait.h"

namespace zerka {

// Exit statuses besides 0 (done) and 1 (restart not taken).
constexpr int ExitReported = 2;  // the client reported at least one failure
constexpr int ExitUsage = 3;     // the command line was not understood

// Runs one command line (without the program name); returns the exit status.
int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same; watch pauses on wait instead of on the console's stop requests.
int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 IntervalWait& wait);

}  // namespace zerka
