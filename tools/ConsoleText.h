#pragma once
// Text between the system's Latin-1 strings and a terminal, a pipe or a file.

#include <string>

namespace zerka {

// A system text as zerka2ctl writes it: UTF-8 on every system (a Windows console gets it as
// wide characters), CR LF as a plain line break. Control characters (C0 other than tab and
// line break, DEL, C1) show as "?", so nothing the server sends can steer a terminal.
std::string ConsoleText(const std::string& latin1);
// The same for a report already in UTF-8; a byte that starts no character shows as "?".
std::string ConsoleUtf8(const std::string& utf8);

// A command-line argument as system text: Windows hands them over in the Western code page.
std::string ArgumentText(const std::string& arg);
// A command-line argument in UTF-8 as the user typed it, for reports that name it: taken as
// Latin-1 where it is not UTF-8 (a Latin-1 terminal, and Windows as above).
std::string ArgumentUtf8(const std::string& arg);

}  // namespace zerka
