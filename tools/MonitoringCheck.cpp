#include "tools/MonitoringCheck.h"

#include <chrono>

#include "base/Latin1.h"
#include "net/NetTCPClient.h"
#include "remote/LineStatusText.h"
#include "tools/ConsoleText.h"

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

// The plugin line is one line, and "|" starts its performance data.
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
      line += ' ';
    } else {
      line += text[i] == '|' ? '/' : text[i];
    }
  }
  return line;
}

// A duration for people: zero reads 0:00:00 here, not as in the window.
std::string ClockTime(std::int32_t seconds) { return seconds == 0 ? "0:00:00" : FormatDuration(seconds); }

std::string Threshold(const std::optional<ThresholdRange>& range) {
  return range ? range->Text : std::string();
}

// label=value[unit];warn;crit;min as the plugin guidelines lay it out.
std::string PerformanceData(const ServerStatus& status, const CheckOptions& options) {
  return " | connections=" + std::to_string(status.Connections) + ";;;0" +
         " online=" + std::to_string(status.OnlineSeconds) + "s;;;0" +
         " hangup=" + std::to_string(status.SecondsUntilHangup) + "s;" +
         Threshold(options.Warning) + ";" + Threshold(options.Critical) + ";0";
}

std::string Label(int exitStatus) {
  switch (exitStatus) {
    case CheckOk: return "ZERKA OK - ";
    case CheckWarning: return "ZERKA WARNING - ";
    case CheckCritical: return "ZERKA CRITICAL - ";
    default: return "ZERKA UNKNOWN - ";
  }
}

CheckResult Result(int exitStatus, const std::string& text, const std::string& performance) {
  return {exitStatus, Label(exitStatus) + OneLine(text) + performance};
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

}  // namespace

CheckResult EvaluateCheck(const PollResult& poll, const CheckOptions& options) {
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
    return Result(CheckCritical, "keine gültige Antwort auf die Abfrage des DFÜ-Status"_l1,
                  performance);
  }
  if (status.LockState == TZerka2Remote::NoValidState) {
    return Result(CheckCritical, "keine gültige Antwort auf die Abfrage des Sperr-Status"_l1,
                  performance);
  }
  if (status.LineState >= LineStateTexts.size()) {
    return Result(CheckUnknown, "unbekannter DFÜ-Status "_l1 + std::to_string(status.LineState),
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
  if (poll.ServerMessage) {
    if (exitStatus == CheckOk) exitStatus = CheckWarning;
    text += ", Meldung des Servers: " + *poll.ServerMessage;
  }
  return Result(exitStatus, text, performance);
}

CheckResult LookupFailureCheck(const HostLookupResult& lookup) {
  return Result(lookup.Failure == LookupFailure::NotFound ? CheckUnknown : CheckCritical,
                lookup.FailureText, "");
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
  BoundPollForCheck(poller.Remote(), streamShareMs - static_cast<std::int32_t>(lookupMs));
  bounded.Poll = poller.Poll();
  return bounded;
}

int RunCheck(const std::string& host, int port, const CheckOptions& options, std::ostream& out,
             const HostResolver& resolve) {
  const BoundedPoll bounded = PollWithin(host, port, options.TimeoutSeconds, resolve);
  const CheckResult result =
      bounded.Poll ? EvaluateCheck(*bounded.Poll, options) : LookupFailureCheck(bounded.Lookup);
  out << ConsoleText(result.Line) << '\n' << std::flush;
  return result.ExitStatus;
}

std::string UsageCheckLine(const std::string& why) { return "ZERKA UNKNOWN - " + OneLine(why); }

}  // namespace zerka
