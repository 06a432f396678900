#pragma once
// zerka2ctl check: the server's state as a monitoring plugin reports it, one line and an exit
// status that Nagios, Icinga, Naemon, Checkmk and Zabbix understand.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "tools/StatusPoll.h"

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
  std::optional<std::int32_t> WarningHangupSeconds;
  bool CriticalFailed = false;
  std::int32_t TimeoutSeconds = DefaultCheckTimeoutSeconds;
};

struct CheckResult {
  int ExitStatus = CheckUnknown;
  std::string Line;  // Latin-1, without a line break
};

CheckResult EvaluateCheck(const PollResult& poll, const CheckOptions& options);

int RunCheck(const std::string& host, int port, const CheckOptions& options, std::ostream& out);

}  // namespace zerka
