#include <csignal>
#include <iostream>

#include "tools/StandardStreams.h"

namespace zerka {

void PrepareStandardStreams() { std::signal(SIGPIPE, SIG_IGN); }

std::ostream& StandardOutput() { return std::cout; }

std::ostream& StandardError() { return std::cerr; }

}  // namespace zerka
