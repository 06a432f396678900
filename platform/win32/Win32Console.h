#pragma once
// Text for the user's terminal from a program of the Windows subsystem, which starts without a
// console of its own.

#include <string>

namespace zerka::win32 {

// Writes Latin-1 text to standard output where it was redirected (as UTF-8 with CR LF), else
// to the console of the command prompt that started the program; nowhere without either.
void WriteToConsole(const std::string& latin1);

}  // namespace zerka::win32
