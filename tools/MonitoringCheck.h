#pragma once
// zerka2ctl check: the server's state as a monitoring plugin reports it, one line and an exit
// status that Nagios, Icinga, Naemon, Checkmk and Zabbix understand.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/HostLookup.h"
#include "tools/StatusPoll.h"
#include "tools/ThresholdRange.h"

namespace zerka {

constexpr int CheckOk = 0;
constexpr int CheckWarning = 1;
constexpr int CheckCritical = 2;
constexpr int CheckUnknown = 3;

// The whole check must end within this bound: a monitoring system kills a plugin that hangs.
constexpr std::int32_t DefaultCheckTimeoutSeconds = 5;
// Two datagram queries of 503 ms each must fit, and the stream exchange needs some time too.
constexpr std::int32_t MinCheckTimeoutSeconds = 2;

struct CheckOptions {
  // Applied to the seconds until hang-up while connected.
  std::optional<ThresholdRange> Warning;
  std::optional<ThresholdRange> Critical;
  bool CriticalFailed = false;
  std::int32_t TimeoutSeconds = DefaultCheckTimeoutSeconds;
  // -v and more: lines after the plugin line, which the monitoring systems show as its long
  // output.
  int Verbosity = 0;
};

struct CheckResult {
  int ExitStatus = CheckUnknown;
  std::string Line;                  // UTF-8, without a line break
  std::vector<std::string> Details;  // UTF-8, one line each, shown with -v
};

CheckResult EvaluateCheck(const PollResult& poll, const CheckOptions& options);

// A name that could not be resolved: UNKNOWN when the name does not exist or is an IPv6
// address (a wrong configuration), CRITICAL when the name service failed or did not answer in
// time.
CheckResult LookupFailureCheck(const HostLookupResult& lookup);

// One lookup and one poll, together within timeoutSeconds; no poll when the lookup failed.
struct BoundedPoll {
  HostLookupResult Lookup;
  std::optional<PollResult> Poll;
};
BoundedPoll PollWithin(const std::string& host, int port, std::int32_t timeoutSeconds,
                       const HostResolver& resolve = PlatformResolver());

// Resolves, polls and prints the plugin line, all within the options' time-out.
int RunCheck(const std::string& host, int port, const CheckOptions& options, std::ostream& out,
             const HostResolver& resolve = PlatformResolver());

// The plugin line for a command line that was not understood (why: Latin-1; the line: UTF-8).
std::string UsageCheckLine(const std::string& why);

}  // namespace zerka
