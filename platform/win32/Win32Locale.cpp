#include "platform/win32/Win32Locale.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace zerka::win32 {

std::string TWin32Locale::DateTimeText() {
  // One reading for both halves, so a stamp taken at midnight cannot mix two days.
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[80] = {};
  wchar_t time[80] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 80) == 0) date[0] = L'\0';
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 80) == 0) time[0] = L'\0';
  return Narrow(date) + " " + Narrow(time);
}

}  // namespace zerka::win32
