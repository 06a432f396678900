#include "net/NetHttpDate.h"

#include <array>
#include <cstdint>
#include <optional>
#include <sstream>
#include <vector>

#include "net/NetHeaderList.h"

namespace zerka {
namespace {

struct DateFields {
  int Day = 0, Month = 0, Year = -1;
  int Hour = -1, Minute = 0, Second = 0;
  int OffsetMinutes = 0;  // east of universal time
};

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int MonthNumber(const std::string& name) {
  static const std::array<const char*, 12> Names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (std::size_t i = 0; i < Names.size(); ++i) {
    if (SameTextIgnoringCase(name, Names[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool TakeNumber(const std::string& token, DateFields& date) {
  if (token.size() > 4) return false;
  const int value = std::stoi(token);
  if (date.Day == 0 && token.size() <= 2) {
    date.Day = value;
  } else if (date.Year < 0 && token.size() == 4) {
    date.Year = value;
  } else if (date.Year < 0 && token.size() == 2) {
    date.Year = value < 50 ? 2000 + value : 1900 + value;  // two-digit years of RFC 850
  } else {
    return false;
  }
  return true;
}

bool TakeTime(const std::string& token, DateFields& date) {
  std::vector<std::string> parts;
  std::stringstream stream(token);
  for (std::string part; std::getline(stream, part, ':');) parts.push_back(part);
  if (parts.size() < 2 || parts.size() > 3 || date.Hour >= 0) return false;
  for (const auto& part : parts) {
    if (!AllDigits(part) || part.size() > 2) return false;
  }
  date.Hour = std::stoi(parts[0]);
  date.Minute = std::stoi(parts[1]);
  date.Second = parts.size() == 3 ? std::stoi(parts[2]) : 0;
  return date.Hour < 24 && date.Minute < 60 && date.Second <= 60;
}

bool TakeZone(const std::string& token, DateFields& date) {
  if (SameTextIgnoringCase(token, "GMT") || SameTextIgnoringCase(token, "UTC") ||
      SameTextIgnoringCase(token, "UT") || token == "Z") {
    return true;
  }
  if (token.size() != 5 || (token[0] != '+' && token[0] != '-') || !AllDigits(token.substr(1))) {
    return false;
  }
  const int minutes = std::stoi(token.substr(1, 2)) * 60 + std::stoi(token.substr(3, 2));
  date.OffsetMinutes = token[0] == '-' ? -minutes : minutes;
  return true;
}

bool TakeToken(const std::string& token, DateFields& date) {
  if (token.find(':') != std::string::npos) return TakeTime(token, date);
  if (AllDigits(token)) return TakeNumber(token, date);
  if (const int month = MonthNumber(token)) {
    if (date.Month != 0) return false;
    date.Month = month;
    return true;
  }
  const auto dash = token.find('-');
  if (dash != std::string::npos && dash > 0) {  // "06-Nov-94"
    // Exactly three parts, so a server's endless dashes cannot recurse without limit.
    const auto second = token.find('-', dash + 1);
    if (second == std::string::npos || token.find('-', second + 1) != std::string::npos) return false;
    return TakeToken(token.substr(0, dash), date) &&
           TakeToken(token.substr(dash + 1, second - dash - 1), date) &&
           TakeToken(token.substr(second + 1), date);
  }
  return TakeZone(token, date);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : Days[static_cast<std::size_t>(month - 1)];
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

TDateTime HttpDateToDateTime(const std::string& text) {
  std::string rest = text;
  const auto comma = rest.find(',');
  if (comma != std::string::npos) rest.erase(0, comma + 1);  // the weekday

  std::vector<std::string> tokens;
  std::stringstream stream(rest);
  for (std::string token; stream >> token;) tokens.push_back(token);
  if (comma == std::string::npos && !tokens.empty() && MonthNumber(tokens.front()) == 0 &&
      !AllDigits(tokens.front())) {
    tokens.erase(tokens.begin());  // asctime's weekday
  }

  DateFields date;
  for (const auto& token : tokens) {
    if (!TakeToken(token, date)) return 0;
  }
  if (date.Month == 0 || date.Year < 0 || date.Hour < 0 || date.Day < 1 ||
      date.Day > DaysInMonth(date.Year, date.Month)) {
    return 0;
  }
  constexpr std::int64_t EpochOffset = 25569;  // 1970-01-01 in days since 1899-12-30
  const std::int64_t days = DaysFromCivil(date.Year, date.Month, date.Day) + EpochOffset;
  const std::int64_t seconds =
      date.Hour * 3600 + date.Minute * 60 + date.Second - date.OffsetMinutes * 60;
  return static_cast<double>(days) + static_cast<double>(seconds) / 86400.0;
}

}  // namespace zerka
