#pragma once
// Text between the system's Latin-1 strings and a terminal.

#include <string>

namespace zerka {

// A system text for the console: CR LF as a plain line break, and UTF-8 where terminals expect
// it. A Windows console keeps the bytes of the Western code page.
std::string ConsoleText(const std::string& latin1);

// A command-line argument as system text: Windows hands them over in the Western code page.
std::string ArgumentText(const std::string& arg);

}  // namespace zerka
