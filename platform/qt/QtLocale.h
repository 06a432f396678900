#pragma once
// Dates and times in the system locale:
//  [x] the short date and the long time of QLocale::system(), both of one reading of the
//      local clock; the long time without the time zone's name (a status line says when
//      here, not where)

#include <QString>

#include "framework/Platform.h"

namespace zerka::qt {

class TQtLocale : public ILocalePort {
 public:
  std::string DateTimeText() override;
};

// A time format without its time-zone fields ("t" outside quotes) and the blanks around them.
QString WithoutTimeZone(const QString& format);

}  // namespace zerka::qt
