#pragma once
// The notification area on QSystemTrayIcon:
//  [x] add / modify / remove / set version with the notify-icon record; a second add of the
//      same window and id, or any call while the desktop has no tray, is refused
//  [x] picture from the portable 16x16 pixel data, tip text (CR LF as line breaks)
//  [x] user actions as the callback codes, with the icon's id, queued to the record's window:
//      a click as left press and release, a double click as double click and release, the
//      context request as right press and release (the icon's owner opens its menu on the
//      press), the middle button as middle press and release
//  [x] balloons (showMessage) with title, text, icon kind and display time; balloon shown
//      once handed to the tray, clicked when Qt reports a click, timed out when the display
//      time passed unclicked
//  [x] the tray host going away and coming back (polled once a second): the icons are
//      forgotten, and the application windows receive TaskbarCreatedMessage to add them again

#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>

#include "framework/Platform.h"

class QSystemTrayIcon;

namespace zerka::qt {

class TQtDesktop;

class TQtNotifyArea : public INotifyAreaPort {
 public:
  // An id from the range the system hands out for registered messages.
  static constexpr std::uint32_t kTaskbarCreatedMessage = 0xC0DE;
  static constexpr int kTrayPollMs = 1000;

  explicit TQtNotifyArea(TQtDesktop& desktop);
  ~TQtNotifyArea() override;

  bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) override;
  std::uint32_t TaskbarCreatedMessage() override { return kTaskbarCreatedMessage; }

  // For tests: the icon Qt shows for a window and id, or nullptr.
  QSystemTrayIcon* TrayIcon(TWindowHandle window, std::uint32_t id) const;
  // Checks the tray host now, as the poll does.
  void CheckTrayHost();

 private:
  struct TIcon;
  using TKey = std::pair<TWindowHandle, std::uint32_t>;

  bool Add(const TNotifyIconData& data);
  void Apply(TIcon& icon, const TNotifyIconData& data);
  void ShowBalloon(TIcon& icon, const TNotifyIconData& data);
  void Callback(const TKey& key, std::vector<std::uint32_t> codes);

  TQtDesktop& desktop_;
  std::map<TKey, std::unique_ptr<TIcon>> icons_;
  // Polls the tray host every kTrayPollMs, or runs once per announced change where the
  // platform announces them (hostTracked_).
  QTimer trayPoll_;
  bool hostTracked_ = false;
  bool watching_ = false;
  bool hostSeen_ = false;
};

}  // namespace zerka::qt
