#pragma once
// Dates and times in the system locale:
//  [x] the short date and the long time of QLocale::system(), both of one reading of the
//      local clock

#include "framework/Platform.h"

namespace zerka::qt {

class TQtLocale : public ILocalePort {
 public:
  std::string DateTimeText() override;
};

}  // namespace zerka::qt
