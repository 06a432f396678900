#include "platform/qt/QtActivationToken.h"

#include <QCoreApplication>
#include <QTimer>

namespace zerka::qt {
namespace {

constexpr const char* kVariable = "XDG_ACTIVATION_TOKEN";
// Long enough for a window the action shows to be mapped and ask for the focus.
constexpr int kTokenLifeMs = 3000;

}  // namespace

void OfferActivationToken(const QString& token) {
  if (token.isEmpty()) {
    qunsetenv(kVariable);
    return;
  }
  const QByteArray value = token.toUtf8();
  qputenv(kVariable, value);
  if (QCoreApplication* application = QCoreApplication::instance()) {
    QTimer::singleShot(kTokenLifeMs, application, [value] {
      if (qgetenv(kVariable) == value) qunsetenv(kVariable);
    });
  }
}

void DropActivationToken() { qunsetenv(kVariable); }

}  // namespace zerka::qt
