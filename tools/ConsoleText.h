#pragma once
// Text between the system's Latin-1 strings and a terminal, a pipe or a file.

#include <string>

namespace zerka {

// A system text as zerka2ctl writes it: UTF-8 on every system (a Windows console gets it as
// wide characters), CR LF as a plain line break. Control characters (C0 other than tab and
// line break, DEL, C1) show as "?", so nothing the server sends can steer a terminal.
std::string ConsoleText(const std::string& latin1);

// A command-line argument as system text: Windows hands them over in the Western code page.
std::string ArgumentText(const std::string& arg);

}  // namespace zerka
