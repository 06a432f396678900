#pragma once
// Dates and times in the user's locale:
//  [x] the short date and the long time of the user's default locale (GetDateFormatA,
//      GetTimeFormatA), both of one reading of the local clock

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32Locale : public ILocalePort {
 public:
  std::string DateTimeText() override;
};

}  // namespace zerka::win32
