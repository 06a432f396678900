#pragma once
// The program's options. Without any it runs as the tray program; each option does one thing
// and ends at once.
//   --autostart=on    start at log-on from now on
//   --autostart=off   no longer start at log-on
//   --quit            end the program running in this session (where there is one per session)
//   --terminate       end that program's process at once (where there is one per session)
//   --help, --version print the options or the version

#include <string>
#include <vector>

namespace zerka {

enum class TStartAction { Run, AutostartOn, AutostartOff, Quit, Terminate, Help, Version, Refused };

struct TCommandLine {
  TStartAction Action = TStartAction::Run;
  std::string Refused;  // the argument that was not understood
};

// args: the arguments after the program's name. instanceKnown: whether there is one program
// per session here, so that --quit and --terminate are offered.
TCommandLine ParseCommandLine(const std::vector<std::string>& args, bool instanceKnown);

// The message for a refused argument, with the options that exist.
std::string RefusedOptionText(const std::string& argument, bool instanceKnown);

// What --help prints: the call, what the program does and each option on a line of its own.
std::string HelpText(bool instanceKnown);

// What --version prints.
std::string VersionText();

}  // namespace zerka
