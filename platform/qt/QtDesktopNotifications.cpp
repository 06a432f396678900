#include "platform/qt/QtDesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

#include "framework/NotifyIconData.h"

namespace zerka::qt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

QString IconName(std::uint32_t infoFlags) {
  switch (infoFlags & 0x0F) {
    case niif::Info: return QStringLiteral("dialog-information");
    case niif::Warning: return QStringLiteral("dialog-warning");
    case niif::Error: return QStringLiteral("dialog-error");
    default: return {};
  }
}

// Closed reasons of the protocol.
constexpr uint kExpired = 1;
constexpr uint kDismissed = 2;

}  // namespace

TDesktopNotifications::TDesktopNotifications(QDBusConnection bus, QString applicationName, TOutcomeHandler onOutcome)
    : bus_(std::move(bus)), applicationName_(std::move(applicationName)), onOutcome_(std::move(onOutcome)) {
  bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
               SLOT(OnNotificationClosed(uint, uint)));
  closeSoon_.setSingleShot(true);
  closeSoon_.setInterval(0);
  connect(&closeSoon_, &QTimer::timeout, this, [this] { Close(); });
}

TDesktopNotifications::~TDesktopNotifications() {
  // A notification outlasting its icon would answer to nobody.
  if (current_ != 0) {
    bus_.call(QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("CloseNotification")) << current_,
              QDBus::NoBlock);
  }
}

void TDesktopNotifications::Show(const QString& title, const QString& text, std::uint32_t infoFlags, int timeoutMs) {
  closeSoon_.stop();
  const TRequest request{title, text, infoFlags, timeoutMs};
  if (awaitingReply_) {
    queued_ = request;
    return;
  }
  Send(request);
}

void TDesktopNotifications::Withdraw() {
  queued_.reset();
  // The next balloon usually follows at once and replaces this one instead.
  if (current_ != 0 || awaitingReply_) closeSoon_.start();
}

void TDesktopNotifications::Send(const TRequest& request) {
  QString body = request.Text;
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (ReadsMarkup()) body = body.toHtmlEscaped();
  // The installed menu entry, under which desktops group the program's notifications.
  QVariantMap hints;
  if (const QString entry = QGuiApplication::desktopFileName(); !entry.isEmpty()) {
    hints.insert(QStringLiteral("desktop-entry"), entry);
  }
  QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  notify << applicationName_ << current_ << IconName(request.InfoFlags) << request.Title
         << body << QStringList{QStringLiteral("default"), QString()} << hints << request.TimeoutMs;
  awaitingReply_ = true;
  clicked_ = false;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    awaitingReply_ = false;
    const QDBusPendingReply<uint> reply = *call;
    if (!reply.isError()) {
      current_ = reply.value();
      onOutcome_(TOutcome::Shown);
    }
    if (queued_) {
      const TRequest next = *queued_;
      queued_.reset();
      Send(next);
    }
  });
}

void TDesktopNotifications::Close() {
  if (awaitingReply_) {
    closeSoon_.start();
    return;
  }
  if (current_ == 0) return;
  bus_.asyncCall(QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("CloseNotification"))
                 << current_);
}

bool TDesktopNotifications::ReadsMarkup() {
  if (!readsMarkup_) {
    const QDBusMessage reply = bus_.call(
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities")), QDBus::Block,
        1000);
    readsMarkup_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                   reply.arguments().front().toStringList().contains(QStringLiteral("body-markup"));
  }
  return *readsMarkup_;
}

void TDesktopNotifications::OnActionInvoked(uint id, const QString& action) {
  if (id != current_ || current_ == 0 || action != QStringLiteral("default")) return;
  clicked_ = true;
  onOutcome_(TOutcome::Clicked);
}

void TDesktopNotifications::OnNotificationClosed(uint id, uint reason) {
  if (id != current_ || current_ == 0) return;
  current_ = 0;
  // A clicked balloon has had its outcome.
  if (clicked_) return;
  onOutcome_(reason == kExpired || reason == kDismissed ? TOutcome::TimedOut : TOutcome::Hidden);
}

}  // namespace zerka::qt
