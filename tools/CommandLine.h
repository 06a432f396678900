#pragma once
// zerka2ctl's command line: a command and options, in any order, long options also as
// --name=value and short ones as -xVALUE, as monitoring plugins take them.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tools/MonitoringCheck.h"
#include "tools/Watch.h"

namespace zerka {

constexpr const char* DefaultHost = "127.0.0.1";

struct CommandLine {
  std::string Host = DefaultHost;  // as typed, for the resolver
  int Port = TZerka2Remote::DefaultPort;
  std::string Command;
  std::string User;
  std::string Password;
  bool Json = false;
  WatchOptions Watching;
  CheckOptions Checking;  // its time-out also bounds the name lookup of every other command
};

enum class Immediate { Help, Version };

// The parsed line, what to print at once, or why the line was refused (Latin-1).
struct ParsedCommandLine {
  std::variant<CommandLine, Immediate, std::string> Outcome;
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace zerka
