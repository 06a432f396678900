#include "platform/qt/QtLocale.h"

#include <QDateTime>
#include <QLocale>

#include "platform/qt/QtText.h"

namespace zerka::qt {

QString WithoutTimeZone(const QString& format) {
  QString kept;
  bool quoted = false;
  bool afterZone = false;
  for (const QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') {
      while (kept.endsWith(u' ')) kept.chop(1);
      afterZone = true;
      continue;
    }
    if (afterZone && c == u' ') continue;
    afterZone = false;
    kept += c;
  }
  return kept;
}

std::string TQtLocale::DateTimeText() {
  const QDateTime now = QDateTime::currentDateTime();
  const QLocale locale = QLocale::system();
  return FromQString(locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                     locale.toString(now.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat))));
}

}  // namespace zerka::qt
