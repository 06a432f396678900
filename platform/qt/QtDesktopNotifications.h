#pragma once
// Balloons as desktop notifications (org.freedesktop.Notifications), for desktops whose tray
// host shows no balloons of its own:
//  [x] summary the title, body the text (CR LF as line breaks, escaped where the server reads
//      markup), an information, warning or error icon, shown for the balloon's time
//  [x] a balloon replaces the one before (replaces_id) instead of piling up; one withdrawn
//      and followed at once by the next is replaced, not closed and opened again
//  [x] the desktop-entry hint of the program's installed menu entry, so the desktop groups
//      the notifications under the program
//  [x] outcomes as the balloon's callbacks: shown once the server took it, clicked (its
//      default action), timed out (expired or dismissed), hidden (withdrawn)

#include <QDBusConnection>
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
  void OnActionInvoked(uint id, const QString& action);
  void OnNotificationClosed(uint id, uint reason);

 private:
  struct TRequest {
    QString Title;
    QString Text;
    std::uint32_t InfoFlags = 0;
    int TimeoutMs = 0;
  };
  void Send(const TRequest& request);
  void Close();
  bool ReadsMarkup();

  QDBusConnection bus_;
  QString applicationName_;
  TOutcomeHandler onOutcome_;
  uint current_ = 0;
  bool clicked_ = false;
  bool awaitingReply_ = false;
  std::optional<TRequest> queued_;
  QTimer closeSoon_;
  std::optional<bool> readsMarkup_;
};

}  // namespace zerka::qt
