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
//      press), the middle button as middle press and release; on a status-notifier host with
//      the position the host gave as the pointer's while they are handled
//  [x] on a status-notifier host that draws menus, the menu is the icon's menu model
//      (SetMenuModel), read as it stands whenever the host asks; a chosen entry runs through
//      the model, queued like a click. No mouse event is made up for either. A host that asks
//      for a context menu gets a right click, and so the popup of our own
//  [x] the activation token a host offers with an action is offered for the action as it is
//      handled (QtActivationToken), so that Wayland grants the focus to a window it shows
//  [x] balloons with title, text, icon kind and display time; shown once handed over,
//      clicked when the host reports a click, timed out when the display time passed
//  [x] the tray host going away and coming back, or another kind of host taking over: the
//      icons are forgotten, and the application windows receive TaskbarCreatedMessage to add
//      them again. Followed through announcements only (X11's tray selection, the watcher's
//      name and its host signals on the session bus), never polled. Whether the watcher has
//      a host is asked without waiting: until it answers, it is taken to have one
//  [x] the menu a host draws is read again, and changes announced, whenever the icon changes
//      and after each action or choice of the host
//  [x] on request, no tray host at all some time after start, or some time after the host
//      went: the forms are shown with a notice in their status line, so the program stays
//      reachable; while there is none, a form that would hide (into the missing tray)
//      minimises as an ordinary window instead, with the notice

#include <QPoint>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Platform.h"

class QSystemTrayIcon;
class QDBusServiceWatcher;

namespace zerka::qt {

class TQtDesktop;
class TQtServices;

class TQtNotifyArea : public INotifyAreaPort {
 public:
  // An id from the range the system hands out for registered messages.
  static constexpr std::uint32_t kTaskbarCreatedMessage = 0xC0DE;
  // How the program is named where a desktop lists it (its item, its notifications).
  static constexpr const char* kProgramName = "Zerka2 Remote";

  enum class THost { None, XEmbed, StatusNotifier };

  TQtNotifyArea(TQtDesktop& desktop, TQtServices& services);
  ~TQtNotifyArea() override;

  bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) override;
  std::uint32_t TaskbarCreatedMessage() override { return kTaskbarCreatedMessage; }
  void SetMenuModel(TWindowHandle window, std::uint32_t id, IMenuModel* model) override;

  // After afterMs without any tray host, shows the forms with `notice` in their status line;
  // so again each time the host goes and none follows within afterMs.
  void NoticeMissingTray(int afterMs, std::string notice);

  // For tests: the icon Qt shows for a window and id (XEmbed hosts), or nullptr.
  QSystemTrayIcon* TrayIcon(TWindowHandle window, std::uint32_t id) const;
  THost Host() const { return host_; }
  // Checks the tray host now, as an announcement does.
  void CheckTrayHost();

 private:
  struct TIcon;
  using TKey = std::pair<TWindowHandle, std::uint32_t>;

  THost CurrentHost() const;
  void Watch();
  // Asks the watcher whether it has a host; its answer settles the host again.
  void AskWatcher();
  // Takes the host as it stands now: icons forgotten and asked for again when it changed.
  void SettleHost();
  bool Add(const TNotifyIconData& data);
  bool AddItem(const TNotifyIconData& data);
  bool AddTrayIcon(const TNotifyIconData& data);
  void Apply(TIcon& icon, const TNotifyIconData& data);
  void ShowBalloon(TIcon& icon, const TNotifyIconData& data);
  void Callback(const TKey& key, std::vector<std::uint32_t> codes);
  // A host's action, run from the event loop: the codes with the host's pointer position in
  // force, after its activation token.
  void HostAction(const TKey& key, std::vector<std::uint32_t> codes, QPoint at, const QString& token);
  void HostChoice(const TKey& key, std::int32_t id, const QString& token);
  void UpdateMenu(const TKey& key);
  void ShowMissingTrayNotice();
  void PutNotice(TWindowHandle form);
  bool KeepFormShown(TWindowHandle form);

  TQtDesktop& desktop_;
  TQtServices& services_;
  std::map<TKey, std::unique_ptr<TIcon>> icons_;
  std::map<TKey, IMenuModel*> menuModels_;
  // Runs once after each announced change of the tray host, several announcements together.
  QTimer recheck_;
  std::unique_ptr<QDBusServiceWatcher> busWatcher_;
  bool watching_ = false;
  bool watcherReplaced_ = false;
  std::optional<bool> watcherHasHost_;
  unsigned watcherQuestion_ = 0;
  THost host_ = THost::None;
  QTimer missingTray_;
  int missingTrayMs_ = 0;
  std::string missingTrayNotice_;
};

}  // namespace zerka::qt
