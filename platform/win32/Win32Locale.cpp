#include "platform/win32/Win32Locale.h"

#include <windows.h>

namespace zerka::win32 {

std::string TWin32Locale::DateTimeText() {
  // One reading for both halves, so a stamp taken at midnight cannot mix two days.
  SYSTEMTIME now;
  GetLocalTime(&now);
  char date[80] = {};
  char time[80] = {};
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date) == 0) date[0] = '\0';
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time) == 0) time[0] = '\0';
  return std::string(date) + " " + time;
}

}  // namespace zerka::win32
