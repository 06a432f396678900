#pragma once
// Balloons as desktop notifications (org.freedesktop.Notifications), for desktops whose tray
// host shows no balloons of its own:
//  [x] summary the title, body the text (CR LF as line breaks, escaped where the server reads
//      markup, and until the server said whether it does), an information, warning or error
//      icon, shown for the balloon's time
//  [x] a balloon replaces the one before (replaces_id) instead of piling up; one withdrawn
//      and followed at once by the next is replaced, not closed and opened again
//  [x] the desktop-entry hint of the program's installed menu entry, so the desktop groups
//      the notifications under the program
//  [x] outcomes as the balloon's callbacks: shown once the server took it, clicked (its
//      default action), timed out (expired or dismissed), hidden (withdrawn)
//  [x] a notification belongs to the server that gave its id (that server's unique name):
//      only that server's signals count for it, only that server is asked to close it (which
//      never starts a server), and once another server takes over, or none is left, the id,
//      the server's capabilities and a click not yet closed are forgotten
//  [x] nothing waits for the server: every call is answered through the event loop, a close
//      asked for while the balloon is still on its way is sent once the server answered

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

namespace zerka::qt {

class TDesktopNotifications : public QObject {
  Q_OBJECT

 public:
  enum class TOutcome { Shown, Clicked, TimedOut, Hidden };
  using TOutcomeHandler = std::function<void(TOutcome)>;

  // applicationName: the program's name, as the server shows it.
  TDesktopNotifications(QDBusConnection bus, QString applicationName, TOutcomeHandler onOutcome);
  ~TDesktopNotifications() override;

  // infoFlags: the balloon's icon kind (niif).
  void Show(const QString& title, const QString& text, std::uint32_t infoFlags, int timeoutMs);
  void Withdraw();

 private Q_SLOTS:
  void OnActionInvoked(uint id, const QString& action, const QDBusMessage& message);
  void OnNotificationClosed(uint id, uint reason, const QDBusMessage& message);

 private:
  struct TRequest {
    QString Title;
    QString Text;
    std::uint32_t InfoFlags = 0;
    int TimeoutMs = 0;
  };
  void Send(const TRequest& request);
  void Close();
  void AskCapabilities();
  void OwnerChanged(const QString& owner);
  // True for a message from the server that holds the service now (or from any, while the
  // program has not seen who holds it).
  bool FromOwner(const QString& sender) const;
  bool FromServer(const QDBusMessage& message, uint id) const;

  QDBusConnection bus_;
  QString applicationName_;
  TOutcomeHandler onOutcome_;
  QDBusServiceWatcher ownerWatcher_;
  QString owner_;
  // The balloon on screen: its id and the unique name of the server that gave it.
  uint current_ = 0;
  QString server_;
  bool clicked_ = false;
  bool awaitingReply_ = false;
  bool closeWanted_ = false;
  std::optional<TRequest> queued_;
  QTimer closeSoon_;
  std::optional<bool> readsMarkup_;
  bool askingCapabilities_ = false;
};

}  // namespace zerka::qt
