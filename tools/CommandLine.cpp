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
      {"--critical-hangup", 0, true, {"check"}},
      {"--critical-failed", 0, false, {"check"}},
      {"--verbose", 'v', false, {"check"}},
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

// A threshold as it was set: by a range, or by a number of seconds for the hang-up options.
struct ThresholdSource {
  std::string Option;
  std::string Given;  // Latin-1
  bool Seconds = false;
};

// Which form set each threshold, so that two forms that disagree are caught.
struct ThresholdSources {
  std::optional<ThresholdSource> Warning;
  std::optional<ThresholdSource> Critical;
};

// Sets the threshold; why not, when another form set it to something else before.
std::optional<std::string> SetThreshold(std::optional<ThresholdRange>& threshold,
                                        std::optional<ThresholdSource>& source,
                                        const ThresholdSource& now, ThresholdRange range) {
  if (source && source->Seconds != now.Seconds && threshold->Text != range.Text) {
    return now.Option + " " + now.Given + " widerspricht " + source->Option + " " +
           source->Given + " (beide setzen dieselbe Schwelle)";
  }
  threshold = std::move(range);
  source = now;
  return std::nullopt;
}

// Why the value does not fit the option, or nothing when it was taken.
std::optional<std::string> TakeValue(CommandLine& line, ThresholdSources& sources,
                                     const std::string& option, const std::string& value) {
  constexpr long long MaxInt32 = 2147483647;
  const std::string text = ArgumentText(value);
  if (option == "--hostname" || option == "--host") {
    line.Host = value;  // the resolver takes the name as typed
  } else if (option == "--port") {
    const auto port = ParseNumber(value, 1, 65535);
    if (!port) return "ungültiger Port (1 bis 65535): "_l1 + text;
    line.Port = static_cast<int>(*port);
  } else if (option == "--user") {
    line.User = text;
  } else if (option == "--password") {
    line.Password = text;
  } else if (option == "--interval") {
    const auto interval = ParseNumber(value, MinWatchInterval.count(), MaxInt32);
    if (!interval) return "ungültiges Intervall (Millisekunden, mindestens 50): "_l1 + text;
    line.Watching.Interval = std::chrono::milliseconds(*interval);
  } else if (option == "--warning-hangup" || option == "--critical-hangup") {
    const auto seconds = ParseNumber(value, 0, MaxInt32);
    if (!seconds) return "ungültige Sekundenzahl für "_l1 + option + ": " + text;
    const bool warning = option == "--warning-hangup";
    return SetThreshold(warning ? line.Checking.Warning : line.Checking.Critical,
                        warning ? sources.Warning : sources.Critical, {option, text, true},
                        *ParseThresholdRange(std::to_string(*seconds) + ":"));
  } else if (option == "--warning" || option == "--critical") {
    auto range = ParseThresholdRange(text);
    if (!range) return "ungültiger Bereich für "_l1 + option + ": " + text;
    const bool warning = option == "--warning";
    return SetThreshold(warning ? line.Checking.Warning : line.Checking.Critical,
                        warning ? sources.Warning : sources.Critical, {option, text, false},
                        std::move(*range));
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
  } else if (option == "--verbose") {
    ++line.Checking.Verbosity;
  } else {
    line.Checking.CriticalFailed = true;
  }
}

// The option an argument names, and a value written into the same argument.
struct Named {
  const OptionRule* Rule = nullptr;
  std::optional<std::string> Value;
  std::size_t Times = 1;
};

Named Name(const std::string& arg) {
  for (const OptionRule& rule : Options()) {
    const std::string name = rule.Long;
    if (arg == name) return {&rule, std::nullopt};
    if (rule.TakesValue && arg.rfind(name + "=", 0) == 0) return {&rule, arg.substr(name.size() + 1)};
    if (rule.Short && arg.size() >= 2 && arg[0] == '-' && arg[1] == rule.Short) {
      if (arg.size() == 2) return {&rule, std::nullopt};
      if (rule.TakesValue) return {&rule, arg.substr(2)};
      // -vv, -vvv: a flag repeated in one argument.
      if (arg.find_first_not_of(rule.Short, 1) == std::string::npos) {
        return {&rule, std::nullopt, arg.size() - 1};
      }
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
  ThresholdSources sources;
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
      for (std::size_t n = 0; n < named.Times; ++n) TakeFlag(line, option);
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
    if (const auto why = TakeValue(line, sources, option, value)) return {*why};
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
