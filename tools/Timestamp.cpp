#include "tools/Timestamp.h"

#include <cstdio>
#include <ctime>

namespace zerka {
namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

}  // namespace

std::string IsoLocalTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const std::tm* found = std::localtime(&seconds);
  if (!found) return "";
  const std::tm local = *found;
  // The local clock read as if it were UTC, minus the real instant, is the offset; this holds
  // where tm_gmtoff and strftime's %z do not (the Windows runtime).
  const long long localAsUtc =
      DaysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                    static_cast<unsigned>(local.tm_mday)) * 86400 +
      local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
  const long long offsetMinutes = (localAsUtc - static_cast<long long>(seconds)) / 60;
  const long long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, offsetMinutes < 0 ? '-' : '+', absolute / 60, absolute % 60);
  return text;
}

}  // namespace zerka
