#pragma once
// The notification area, on whichever tray host the desktop has:
//  [x] a status-notifier host on the session bus (QtStatusNotifierItem): the icon is a D-Bus
//      item whose menu the host draws; balloons are desktop notifications
//      (QtDesktopNotifications); otherwise an XEmbed tray through QSystemTrayIcon
//  [x] add / modify / remove / set version with the notify-icon record; a second add of the
//      same window and id, or any call while the desktop has no tray, is refused
//  [x] picture from the portable pixel data, tip text (CR LF as line breaks)
//  [x] user actions as the callback codes, with the icon's id, queued to the record's window:
//      a click as left press and release, a double click as double click and release, the
//      context request as right press and release (the icon's owner opens its menu on the
//      press), the middle button as middle press and release
//  [x] on a status-notifier host the popup menu is the host's: each popup the icon's owner
//      opens hands its entries to the host's menu, and an entry chosen there comes back as a
//      right press whose popup returns that entry; the entries are fetched once when the item
//      is added, by such a press that chooses nothing. Nothing pops up of our own there
//  [x] balloons with title, text, icon kind and display time; shown once handed over,
//      clicked when the host reports a click, timed out when the display time passed
//  [x] the tray host going away and coming back, or another kind of host taking over: the
//      icons are forgotten, and the application windows receive TaskbarCreatedMessage to add
//      them again. Watched through announcements (X11, the session bus) where there are
//      some, else polled once a second
//  [x] on request, no tray host at all some time after start: the forms are shown with a
//      notice in their status line, so the program stays reachable

#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "framework/Platform.h"

class QSystemTrayIcon;
class QDBusServiceWatcher;

namespace zerka::qt {

class TQtDesktop;

class TQtNotifyArea : public INotifyAreaPort {
 public:
  // An id from the range the system hands out for registered messages.
  static constexpr std::uint32_t kTaskbarCreatedMessage = 0xC0DE;
  static constexpr int kTrayPollMs = 1000;
  // How the program is named where a desktop lists it (its item, its notifications).
  static constexpr const char* kProgramName = "Zerka2 Remote";

  enum class THost { None, XEmbed, StatusNotifier };

  explicit TQtNotifyArea(TQtDesktop& desktop);
  ~TQtNotifyArea() override;

  bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) override;
  std::uint32_t TaskbarCreatedMessage() override { return kTaskbarCreatedMessage; }

  // A popup menu is about to open: true when the host shows it instead, with the entry
  // chosen there (-1 for none).
  bool TakeMenu(const std::vector<TPopupEntry>& entries, int& choice);
  // After afterMs without any tray host, shows the forms with `notice` in their status line.
  void NoticeMissingTray(int afterMs, std::string notice);

  // For tests: the icon Qt shows for a window and id (XEmbed hosts), or nullptr.
  QSystemTrayIcon* TrayIcon(TWindowHandle window, std::uint32_t id) const;
  THost Host() const { return host_; }
  // Checks the tray host now, as the poll does.
  void CheckTrayHost();

 private:
  struct TIcon;
  using TKey = std::pair<TWindowHandle, std::uint32_t>;
  struct TMenuRequest {
    TKey Key;
    int Choice = -1;
  };

  THost CurrentHost() const;
  void Watch();
  bool Add(const TNotifyIconData& data);
  bool AddItem(const TNotifyIconData& data);
  bool AddTrayIcon(const TNotifyIconData& data);
  void Apply(TIcon& icon, const TNotifyIconData& data);
  void ShowBalloon(TIcon& icon, const TNotifyIconData& data);
  void Callback(const TKey& key, std::vector<std::uint32_t> codes);
  void ShowMissingTrayNotice();

  TQtDesktop& desktop_;
  std::map<TKey, std::unique_ptr<TIcon>> icons_;
  // Polls the tray host every kTrayPollMs, or runs once per announced change where the
  // platform announces them (hostTracked_).
  QTimer trayPoll_;
  std::unique_ptr<QDBusServiceWatcher> busWatcher_;
  bool hostTracked_ = false;
  bool watching_ = false;
  bool watcherReplaced_ = false;
  THost host_ = THost::None;
  std::optional<TMenuRequest> menuRequest_;
  TKey lastAction_{};
  QTimer missingTray_;
  std::string missingTrayNotice_;
};

}  // namespace zerka::qt
