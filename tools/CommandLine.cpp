#include "tools/CommandLine.h"

#include <charconv>

#include "base/Latin1.h"
#include "tools/ConsoleText.h"

namespace zerka {
namespace {

struct OptionRule {
  const char* Long;
  char Short;  // 0: none
  bool TakesValue;
  std::vector<std::string> Commands;  // empty: every command
};

const std::vector<OptionRule>& Options() {
  static const std::vector<OptionRule> options = {
      {"--hostname", 'H', true, {}},
      {"--host", 0, true, {}},
      {"--port", 'p', true, {}},
      {"--timeout", 't', true, {}},
      {"--warning", 'w', true, {"check"}},
      {"--critical", 'c', true, {"check"}},
      {"--warning-hangup", 0, true, {"check"}},
      {"--critical-failed", 0, false, {"check"}},
      {"--json", 0, false, {"status", "watch"}},
      {"--interval", 0, true, {"watch"}},
      {"--timestamps", 0, false, {"watch"}},
      {"--user", 0, true, {"restart"}},
      {"--password", 0, true, {"restart"}},
      {"--help", 'h', false, {}},
      {"--version", 'V', false, {}},
  };
  return options;
}

bool KnownCommand(const std::string& command) {
  for (const char* known : {"status", "watch", "check", "line-state", "lock-state", "admin-port",
                            "fetch-mail", "logout", "toggle-lock", "stop", "restart"}) {
    if (command == known) return true;
  }
  return false;
}

std::optional<long long> ParseNumber(const std::string& text, long long min, long long max) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

// Why the value does not fit the option, or nothing when it was taken.
std::optional<std::string> TakeValue(CommandLine& line, const std::string& option,
                                     const std::string& value) {
  constexpr long long MaxInt32 = 2147483647;
  const std::string text = ArgumentText(value);
  if (option == "--hostname" || option == "--host") {
    line.Host = text;
  } else if (option == "--port") {
    const auto port = ParseNumber(value, 0, 65535);
    if (!port) return "ungültiger Port: "_l1 + text;
    line.Port = static_cast<int>(*port);
  } else if (option == "--user") {
    line.User = text;
  } else if (option == "--password") {
    line.Password = text;
  } else if (option == "--interval") {
    const auto interval = ParseNumber(value, MinWatchInterval.count(), MaxInt32);
    if (!interval) return "ungültiges Intervall (Millisekunden, mindestens 50): "_l1 + text;
    line.Watching.Interval = std::chrono::milliseconds(*interval);
  } else if (option == "--warning-hangup") {
    const auto seconds = ParseNumber(value, 0, MaxInt32);
    if (!seconds) return "ungültige Sekundenzahl für --warning-hangup: "_l1 + text;
    line.Checking.Warning = ParseThresholdRange(std::to_string(*seconds) + ":");
  } else if (option == "--warning" || option == "--critical") {
    auto range = ParseThresholdRange(text);
    if (!range) return "ungültiger Bereich für "_l1 + option + ": " + text;
    (option == "--warning" ? line.Checking.Warning : line.Checking.Critical) = std::move(range);
  } else {
    // Seconds that still fit the transport's millisecond time-outs.
    const auto seconds = ParseNumber(value, MinCheckTimeoutSeconds, 2000000);
    if (!seconds) return "ungültige Zeitgrenze (Sekunden, mindestens 2): "_l1 + text;
    line.Checking.TimeoutSeconds = static_cast<std::int32_t>(*seconds);
  }
  return std::nullopt;
}

void TakeFlag(CommandLine& line, const std::string& option) {
  if (option == "--json") {
    line.Json = true;
    line.Watching.Json = true;
  } else if (option == "--timestamps") {
    line.Watching.Timestamps = true;
  } else {
    line.Checking.CriticalFailed = true;
  }
}

// The option an argument names, and a value written into the same argument.
struct Named {
  const OptionRule* Rule = nullptr;
  std::optional<std::string> Value;
};

Named Name(const std::string& arg) {
  for (const OptionRule& rule : Options()) {
    const std::string name = rule.Long;
    if (arg == name) return {&rule, std::nullopt};
    if (rule.TakesValue && arg.rfind(name + "=", 0) == 0) return {&rule, arg.substr(name.size() + 1)};
    if (rule.Short && arg.size() >= 2 && arg[0] == '-' && arg[1] == rule.Short) {
      if (arg.size() == 2) return {&rule, std::nullopt};
      if (rule.TakesValue) return {&rule, arg.substr(2)};
    }
  }
  return {};
}

bool Fits(const OptionRule& rule, const std::string& command) {
  if (rule.Commands.empty()) return true;
  for (const std::string& allowed : rule.Commands) {
    if (allowed == command) return true;
  }
  return false;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  std::vector<const OptionRule*> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const Named named = Name(arg);
    if (!named.Rule) {
      if (line.Command.empty() && KnownCommand(arg)) {
        line.Command = arg;
        continue;
      }
      return {"unbekanntes Argument: " + ArgumentText(arg)};
    }
    const std::string option = named.Rule->Long;
    if (option == "--help") return {Immediate::Help};
    if (option == "--version") return {Immediate::Version};
    given.push_back(named.Rule);
    if (!named.Rule->TakesValue) {
      TakeFlag(line, option);
      continue;
    }
    std::string value;
    if (named.Value) {
      value = *named.Value;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return {"zu " + option + " fehlt der Wert"};
    }
    if (const auto why = TakeValue(line, option, value)) return {*why};
  }
  if (line.Command.empty()) return {std::string("kein Befehl angegeben")};
  for (const OptionRule* rule : given) {
    if (!Fits(*rule, line.Command)) {
      return {std::string(rule->Long) + " gilt nicht für den Befehl "_l1 + line.Command};
    }
  }
  return {line};
}

}  // namespace zerka
