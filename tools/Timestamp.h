#pragma once
// Times for zerka2ctl watch --timestamps.

#include <chrono>
#include <string>

namespace zerka {

// ISO 8601 local time with its offset from UTC: 2026-12-09T01:35:12+01:00.
std::string IsoLocalTime(std::chrono::system_clock::time_point when);

}  // namespace zerka
