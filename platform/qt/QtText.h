#pragma once
// Texts cross into Qt here: the core's 8-bit Latin-1 strings and Qt's QString.

#include <QString>

#include <string>

namespace zerka::qt {

inline QString ToQString(const std::string& latin1) {
  return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

// Characters beyond Latin-1 become "?".
inline std::string FromQString(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Line breaks as the core writes them (CR LF, or CR alone) for display, where Qt wants LF.
inline QString ToDisplayText(const std::string& latin1) {
  QString text = ToQString(latin1);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace zerka::qt
