#include "platform/qt/QtDesktopNotifications.h"

#include <QDBusConnectionInterface>
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

// Addressed to one server's unique name, which the bus never starts anything for.
QDBusMessage CloseNotification(const QString& server, uint id) {
  QDBusMessage close = QDBusMessage::createMethodCall(server, kPath, kService, QStringLiteral("CloseNotification"));
  close << id;
  close.setAutoStartService(false);
  return close;
}

}  // namespace

TDesktopNotifications::TDesktopNotifications(QDBusConnection bus, QString applicationName, TOutcomeHandler onOutcome)
    : bus_(std::move(bus)),
      applicationName_(std::move(applicationName)),
      onOutcome_(std::move(onOutcome)),
      ownerWatcher_(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange) {
  bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString, QDBusMessage)));
  bus_.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
               SLOT(OnNotificationClosed(uint, uint, QDBusMessage)));
  connect(&ownerWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) { OwnerChanged(owner); });
  closeSoon_.setSingleShot(true);
  closeSoon_.setInterval(0);
  connect(&closeSoon_, &QTimer::timeout, this, [this] { Close(); });
  // The bus itself answers this at once; a server already running is asked what it reads
  // before the first balloon.
  if (bus_.isConnected()) {
    const QDBusReply<QString> owner = bus_.interface()->serviceOwner(kService);
    if (owner.isValid()) owner_ = owner.value();
  }
  if (!owner_.isEmpty()) AskCapabilities();
}

TDesktopNotifications::~TDesktopNotifications() {
  // A notification outlasting its icon would answer to nobody.
  if (current_ != 0 && !server_.isEmpty()) bus_.send(CloseNotification(server_, current_));
}

void TDesktopNotifications::Show(const QString& title, const QString& text, std::uint32_t infoFlags, int timeoutMs) {
  closeSoon_.stop();
  closeWanted_ = false;
  const TRequest request{title, text, infoFlags, timeoutMs};
  if (awaitingReply_) {
    queued_ = request;
    return;
  }
  Send(request);
}

void TDesktopNotifications::Withdraw() {
  queued_.reset();
  if (awaitingReply_) {
    closeWanted_ = true;
  } else if (current_ != 0) {
    // The next balloon usually follows at once and replaces this one instead.
    closeSoon_.start();
  }
}

void TDesktopNotifications::Send(const TRequest& request) {
  if (!readsMarkup_) AskCapabilities();
  QString body = request.Text;
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // Text that a server reading markup would take for tags must not get lost.
  if (readsMarkup_.value_or(true)) body = body.toHtmlEscaped();
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
      // A server that went meanwhile took its numbers with it.
      const QString sender = reply.reply().service();
      const bool current = FromOwner(sender);
      current_ = current ? reply.value() : 0;
      server_ = current ? sender : QString();
      onOutcome_(TOutcome::Shown);
    }
    if (queued_) {
      const TRequest next = *queued_;
      queued_.reset();
      Send(next);
    } else if (std::exchange(closeWanted_, false)) {
      Close();
    }
  });
}

void TDesktopNotifications::Close() {
  if (current_ == 0 || server_.isEmpty()) return;
  bus_.asyncCall(CloseNotification(server_, current_));
}

// Until the answer comes, and after a failed one, the body is escaped; the next balloon asks
// again.
void TDesktopNotifications::AskCapabilities() {
  if (askingCapabilities_ || !bus_.isConnected()) return;
  askingCapabilities_ = true;
  auto* watcher = new QDBusPendingCallWatcher(
      bus_.asyncCall(QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities"))),
      this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    askingCapabilities_ = false;
    const QDBusPendingReply<QStringList> reply = *call;
    if (reply.isError() || !FromOwner(reply.reply().service())) return;
    readsMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
  });
}

void TDesktopNotifications::OwnerChanged(const QString& owner) {
  owner_ = owner;
  readsMarkup_.reset();
  if (server_ != owner) {
    current_ = 0;
    server_.clear();
    clicked_ = false;
  }
  if (!owner.isEmpty()) AskCapabilities();
}

bool TDesktopNotifications::FromOwner(const QString& sender) const { return owner_.isEmpty() || sender == owner_; }

bool TDesktopNotifications::FromServer(const QDBusMessage& message, uint id) const {
  return current_ != 0 && id == current_ && message.service() == server_;
}

void TDesktopNotifications::OnActionInvoked(uint id, const QString& action, const QDBusMessage& message) {
  if (!FromServer(message, id) || action != QStringLiteral("default")) return;
  clicked_ = true;
  onOutcome_(TOutcome::Clicked);
}

void TDesktopNotifications::OnNotificationClosed(uint id, uint reason, const QDBusMessage& message) {
  if (!FromServer(message, id)) return;
  current_ = 0;
  server_.clear();
  // A clicked balloon has had its outcome.
  if (std::exchange(clicked_, false)) return;
  onOutcome_(reason == kExpired || reason == kDismissed ? TOutcome::TimedOut : TOutcome::Hidden);
}

}  // namespace zerka::qt
