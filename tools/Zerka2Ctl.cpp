#include "tools/Zerka2Ctl.h"

#include <chrono>

#include "base/Latin1.h"
#include "base/ProjectVersion.h"
#include "remote/Zerka2Remote.h"
#include "tools/CommandLine.h"
#include "tools/ConsoleText.h"
#include "tools/HelpText.h"
#include "tools/HostLookup.h"
#include "tools/MonitoringCheck.h"
#include "tools/Restart.h"
#include "tools/StatusJson.h"
#include "tools/StatusPoll.h"
#include "tools/Watch.h"

namespace zerka {
namespace {

class Session {
 public:
  Session(const ServerAddress& server, std::ostream& out, std::ostream& err)
      : server_(server), out_(out), err_(err) {
    remote_.SetHost(server.Address);
    remote_.SetPort(server.Port);
    remote_.SetOnError([this](TComponent*, const std::string& Text) {
      Report(server_.At(Text));
      reported_ = true;
    });
    remote_.SetShowMessage([this](const std::string& Text) { Print(Text); });
  }

  int Run(const CommandLine& line) {
    if (line.Command == "line-state") {
      Print(std::to_string(remote_.GetLineState()));
    } else if (line.Command == "lock-state") {
      Print(std::to_string(remote_.GetLockState()));
    } else if (line.Command == "admin-port") {
      Print(std::to_string(remote_.GetAdminPort()));
    } else if (line.Command == "fetch-mail") {
      remote_.FetchMail();
    } else if (line.Command == "logout") {
      remote_.Logout();
    } else if (line.Command == "toggle-lock") {
      remote_.ToggleDialupLock();
    } else if (line.Command == "stop") {
      remote_.StopServer();
    } else {
      return Restart(line);
    }
    return reported_ ? ExitReported : 0;
  }

 private:
  // A refusal by the server is 1, as the window's restart returns false; a request that
  // never got its answer is a failure like any other.
  int Restart(const CommandLine& line) {
    const RestartOutcome outcome = RequestRestart(remote_, server_, line.User, line.Password);
    if (outcome.Kind != RestartOutcome::Taken) Report(outcome.Why);
    if (outcome.Kind == RestartOutcome::Failed || reported_) return ExitReported;
    return outcome.Kind == RestartOutcome::Refused ? 1 : 0;
  }

  void Print(const std::string& latin1) { out_ << ConsoleText(latin1) << '\n' << std::flush; }

  void Report(const std::string& utf8) { err_ << ConsoleUtf8(utf8) << '\n' << std::flush; }

  ServerAddress server_;
  std::ostream& out_;
  std::ostream& err_;
  TZerka2Remote remote_;
  bool reported_ = false;
};

bool Given(const std::vector<std::string>& args, const std::string& word) {
  for (const std::string& arg : args) {
    if (arg == word) return true;
  }
  return false;
}

// The tray tip's four lines, or one JSON object, within the time-out. A failed lock-state
// query still shows the status as the window does; a JSON reader gets the error object instead.
// A JSON reader may read both streams through one pipe (the Zabbix agent does), so with
// --json everything is said in the one object on standard output.
int Status(const CommandLine& line, std::ostream& out, std::ostream& err) {
  const BoundedPoll bounded = PollWithin(line.Host, line.Port, line.Checking.TimeoutSeconds);
  PollResult poll;
  if (bounded.Poll) {
    poll = *bounded.Poll;
  } else {
    poll.Errors.push_back(bounded.Lookup.FailureText);
  }
  if (line.Json) {
    out << (poll.Errors.empty() ? PollJson(poll) : ErrorJson(poll.Errors.front())) << '\n'
        << std::flush;
  } else {
    if (const auto stale = poll.StaleBecause()) out << ConsoleUtf8(*stale) << '\n';
    if (poll.Status) out << ConsoleText(TrayTip(*poll.Status)) << '\n';
    out << std::flush;
    for (const std::string& error : poll.Errors) err << ConsoleUtf8(error) << '\n';
    err << std::flush;
  }
  return poll.Errors.empty() ? 0 : ExitReported;
}

// A monitoring system shows only the plugin's standard output, so a check says it there too;
// a JSON reader gets its one object.
int UsageError(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& why) {
  if (Given(args, "check")) {
    out << ConsoleUtf8(UsageCheckLine(why)) << '\n' << std::flush;
  } else if (Given(args, "--json")) {
    out << ErrorJson(Latin1ToUtf8("zerka2ctl: " + why)) << '\n' << std::flush;
    return ExitUsage;
  }
  err << ConsoleText("zerka2ctl: " + why + "\n" +
                     "Aufruf: zerka2ctl [-H HOST] [-p PORT] BEFEHL (--help zeigt die Hilfe)")
      << '\n';
  return ExitUsage;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        IntervalWait* wait) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (const auto* why = std::get_if<std::string>(&parsed.Outcome)) {
    return UsageError(args, out, err, *why);
  }
  if (const auto* immediate = std::get_if<Immediate>(&parsed.Outcome)) {
    out << ConsoleText(*immediate == Immediate::Help ? HelpText()
                                                       : "zerka2ctl " ZERKA_VERSION "\n")
        << std::flush;
    return 0;
  }
  const CommandLine& line = std::get<CommandLine>(parsed.Outcome);
  if (line.Command == "check") return RunCheck(line.Host, line.Port, line.Checking, out);
  if (line.Command == "status") return Status(line, out, err);

  const HostLookupResult lookup = LookUpHost(
      line.Host, line.Port, std::chrono::seconds(line.Checking.TimeoutSeconds));
  if (!lookup.Server) {
    if (line.Json) {
      out << ErrorJson(lookup.FailureText) << '\n' << std::flush;
    } else {
      err << ConsoleUtf8(lookup.FailureText) << '\n' << std::flush;
    }
    return ExitReported;
  }
  const ServerAddress& server = *lookup.Server;
  if (line.Command == "watch") {
    StatusPoller poller(server);
    if (wait) return Watch(poller, line.Watching, *wait, out, err);
    return Watch(poller, line.Watching, *MakeConsoleStopWait(), out, err);
  }
  return Session(server, out, err).Run(line);
}

}  // namespace

int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return Run(args, out, err, nullptr);
}

int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 IntervalWait& wait) {
  return Run(args, out, err, &wait);
}

}  // namespace zerka
