#include "tools/MonitoringCheck.h"

#include <algorithm>
#include <chrono>

#include "base/Latin1.h"
#include "net/NetTCPClient.h"
#include "remote/LineStatusText.h"
#include "tools/ConsoleText.h"
#include "tools/Utf8.h"

namespace zerka {
namespace {

constexpr std::uint8_t LineConnected = 1;
constexpr std::uint8_t LineAttemptFailed = 2;
constexpr std::uint8_t LineLocked = 4;
constexpr std::uint8_t LockLocked = 1;

// Each query waits 3 ms for a stale reply and 500 ms for its own; the rest covers the start of
// the program and the sends.
constexpr std::int32_t QueriesReserveMs = 2 * (3 + 500) + 200;
constexpr std::int32_t StartReserveMs = 300;
// What the stream exchange keeps when the name service took nearly all of its share.
constexpr std::int32_t LeastStreamMs = 50;

// The plugin line is one line, and "|" starts performance data, on the lines after it too.
std::string OneLine(const std::string& utf8) {
  std::string line;
  for (std::size_t i = 0; i < utf8.size();) {
    const CodePoint c = DecodeUtf8At(utf8, i);
    const bool crBeforeLf = c.Value == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n';
    if (!c.Valid) {
      line += '?';
    } else if (IsControl(c.Value)) {
      if (!crBeforeLf) line += ' ';
    } else {
      line += c.Value == '|' ? std::string("/") : utf8.substr(i, c.Length);
    }
    i += c.Length;
  }
  return line;
}

// Each line of a multi-line text on its own.
void AddLines(std::vector<std::string>& lines, const std::string& utf8) {
  std::size_t begin = 0;
  for (;;) {
    const auto end = utf8.find('\n', begin);
    std::string line = utf8.substr(begin, end == std::string::npos ? end : end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(OneLine(line));
    if (end == std::string::npos) return;
    begin = end + 1;
  }
}

// A duration for people: zero reads 0:00:00 here, not as in the window.
std::string ClockTime(std::int32_t seconds) { return seconds == 0 ? "0:00:00" : FormatDuration(seconds); }

std::string Threshold(const std::optional<ThresholdRange>& range) {
  return range ? range->Text : std::string();
}

// label=value[unit];warn;crit;min as the plugin guidelines lay it out. A line that is not
// connected has no hang-up time: "U" leaves a gap in the graph, and no threshold is crossed.
std::string PerformanceData(const ServerStatus& status, const CheckOptions& options) {
  const std::string hangup = status.LineState == LineConnected
                                 ? std::to_string(status.SecondsUntilHangup) + "s"
                                 : std::string("U");
  return " | connections=" + std::to_string(status.Connections) + ";;;0" +
         " online=" + std::to_string(status.OnlineSeconds) + "s;;;0" +
         " hangup=" + hangup + ";" + Threshold(options.Warning) + ";" +
         Threshold(options.Critical) + ";0";
}

std::string Label(int exitStatus) {
  switch (exitStatus) {
    case CheckOk: return "ZERKA OK - ";
    case CheckWarning: return "ZERKA WARNING - ";
    case CheckCritical: return "ZERKA CRITICAL - ";
    default: return "ZERKA UNKNOWN - ";
  }
}

CheckResult Result(int exitStatus, const std::string& utf8, const std::string& performance) {
  return {exitStatus, Label(exitStatus) + OneLine(utf8) + performance, {}};
}

// What -v adds: the status as the tray tip shows it, every report, the server's message whole.
std::vector<std::string> Details(const PollResult& poll) {
  std::vector<std::string> lines;
  for (const std::string& error : poll.Errors) AddLines(lines, error);
  if (poll.ServerMessage) {
    lines.push_back("Meldung des Servers:");
    AddLines(lines, *poll.ServerMessage);
  }
  if (poll.FaultyAnswer) AddLines(lines, *poll.FaultyAnswer);
  if (poll.Status) {
    const std::string tip = Latin1ToUtf8(TrayTip(*poll.Status));
    AddLines(lines, poll.RecordCurrent() ? tip : tip.substr(0, tip.find('\r')));
  }
  return lines;
}

// Bounds the stream exchange so that it and the two datagram queries after it end within
// what is left of the check's time-out.
void BoundPollForCheck(TZerka2Remote& remote, std::int32_t streamMs) {
  TNetTCPClient& stream = remote.StreamClient();
  stream.ConnectTimeout = streamMs;
  // One deadline for every read, counted from before the connect, so connect and reads
  // together stay inside the stream's share.
  stream.SharedReadDeadline = stream.DeadlineAfter(streamMs);
}

CheckResult Verdict(const PollResult& poll, const CheckOptions& options) {
  // An answer nobody can read is a fault of the server (or of the port), whatever came after.
  if (poll.FaultyAnswer) {
    return Result(CheckCritical, "fehlerhafte Antwort, " + *poll.FaultyAnswer, "");
  }
  if (!poll.Errors.empty()) return Result(CheckCritical, poll.Errors.front(), "");
  const ServerStatus& status = *poll.Status;
  // Address, times and performance data only from a record of this poll, never from one
  // cached before.
  const std::string performance = poll.ServerMessage ? "" : PerformanceData(status, options);
  if (status.LineState == TZerka2Remote::NoValidState) {
    return Result(CheckCritical, "keine gültige Antwort auf die Abfrage des DFÜ-Status",
                  performance);
  }
  if (status.LockState == TZerka2Remote::NoValidState) {
    return Result(CheckCritical, "keine gültige Antwort auf die Abfrage des Sperr-Status",
                  performance);
  }
  if (status.LineState >= LineStateTexts.size()) {
    return Result(CheckUnknown, "unbekannter DFÜ-Status " + std::to_string(status.LineState),
                  performance);
  }
  if (status.LockState >= LockStateTexts.size()) {
    return Result(CheckUnknown, "unbekannter Sperr-Status " + std::to_string(status.LockState),
                  performance);
  }

  int exitStatus = CheckOk;
  std::string text = LineStateText(status.LineState) + ", " + LockStateText(status.LockState);
  if (status.LineState == LineConnected && !poll.ServerMessage) {
    text += ", " + status.DialupAddress + ", online " + ClockTime(status.OnlineSeconds);
    const double untilHangup = status.SecondsUntilHangup;
    if (options.Critical && options.Critical->Alerts(untilHangup)) {
      exitStatus = CheckCritical;
    } else if (options.Warning && options.Warning->Alerts(untilHangup)) {
      exitStatus = CheckWarning;
    }
    if (exitStatus != CheckOk) text += ", Zeit bis Auflegen " + ClockTime(status.SecondsUntilHangup);
  }
  if (status.LineState == LineAttemptFailed) {
    exitStatus = options.CriticalFailed ? CheckCritical : CheckWarning;
  }
  if ((status.LineState == LineLocked || status.LockState == LockLocked) &&
      exitStatus == CheckOk) {
    exitStatus = CheckWarning;
  }
  text = Latin1ToUtf8(text);
  if (poll.ServerMessage) {
    if (exitStatus == CheckOk) exitStatus = CheckWarning;
    text += ", Meldung des Servers: " + *poll.ServerMessage;
  }
  return Result(exitStatus, text, performance);
}

}  // namespace

CheckResult EvaluateCheck(const PollResult& poll, const CheckOptions& options) {
  CheckResult result = Verdict(poll, options);
  if (options.Verbosity > 0) result.Details = Details(poll);
  return result;
}

CheckResult LookupFailureCheck(const HostLookupResult& lookup) {
  const bool configuration = lookup.Failure == LookupFailure::NotFound ||
                             lookup.Failure == LookupFailure::Unsupported;
  return Result(configuration ? CheckUnknown : CheckCritical, lookup.FailureText, "");
}

BoundedPoll PollWithin(const std::string& host, int port, std::int32_t timeoutSeconds,
                       const HostResolver& resolve) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const std::int32_t streamShareMs = timeoutSeconds * 1000 - QueriesReserveMs - StartReserveMs;
  BoundedPoll bounded;
  bounded.Lookup =
      LookUpHost(host, port, std::chrono::milliseconds(streamShareMs - LeastStreamMs), resolve);
  if (!bounded.Lookup.Server) return bounded;
  const auto lookupMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  StatusPoller poller(*bounded.Lookup.Server);
  // A lookup that ended just after its bound would leave nothing, or a negative time-out,
  // which the transport takes for none at all.
  const auto leftMs = std::max<long long>(LeastStreamMs, streamShareMs - lookupMs);
  BoundPollForCheck(poller.Remote(), static_cast<std::int32_t>(leftMs));
  bounded.Poll = poller.Poll();
  return bounded;
}

int RunCheck(const std::string& host, int port, const CheckOptions& options, std::ostream& out,
             const HostResolver& resolve) {
  const auto start = std::chrono::steady_clock::now();
  const BoundedPoll bounded = PollWithin(host, port, options.TimeoutSeconds, resolve);
  CheckResult result =
      bounded.Poll ? EvaluateCheck(*bounded.Poll, options) : LookupFailureCheck(bounded.Lookup);
  if (options.Verbosity > 1) {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (const auto& server = bounded.Lookup.Server) {
      result.Details.push_back(OneLine("Server: " + server->ShownHost() + " = " + server->Address +
                                       ", Port " + std::to_string(server->Port)));
    }
    result.Details.push_back("Dauer: " + std::to_string(took.count()) + " ms, Zeitgrenze " +
                             std::to_string(options.TimeoutSeconds) + " s");
  }
  std::string text = ConsoleUtf8(result.Line) + '\n';
  for (const std::string& line : result.Details) text += ConsoleUtf8(line) + '\n';
  out << text << std::flush;
  return result.ExitStatus;
}

std::string UsageCheckLine(const std::string& why) {
  return "ZERKA UNKNOWN - " + OneLine(Latin1ToUtf8(why));
}

}  // namespace zerka
