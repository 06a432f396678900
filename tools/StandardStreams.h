#pragma once
// zerka2ctl's standard output and standard error as the system offers them.

#include <ostream>

namespace zerka {

// Readies the process: a write to a pipe whose reader has gone fails instead of ending the
// program by signal, so watch can end quietly.
void PrepareStandardStreams();

// UTF-8 streams. A Windows console receives the text as wide characters, so it shows right
// whatever its code page; everything else (pipes, files, agents) receives the UTF-8 bytes.
std::ostream& StandardOutput();
std::ostream& StandardError();

}  // namespace zerka
