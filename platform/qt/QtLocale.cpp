#include "platform/qt/QtLocale.h"

#include <QDateTime>
#include <QLocale>

#include "platform/qt/QtText.h"

namespace zerka::qt {

std::string TQtLocale::DateTimeText() {
  const QDateTime now = QDateTime::currentDateTime();
  const QLocale locale = QLocale::system();
  return FromQString(locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                     locale.toString(now.time(), QLocale::LongFormat));
}

}  // namespace zerka::qt
