#include "platform/qt/QtNotifyArea.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QSystemTrayIcon>

#include <cstring>
#include <string>

#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtIcons.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {
namespace {

// The shell's own display time when a balloon asks for none.
constexpr int kDefaultBalloonMs = 10000;

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

QSystemTrayIcon::MessageIcon BalloonIcon(std::uint32_t infoFlags) {
  switch (infoFlags & 0x0F) {
    case niif::Info: return QSystemTrayIcon::Information;
    case niif::Warning: return QSystemTrayIcon::Warning;
    case niif::Error: return QSystemTrayIcon::Critical;
    default: return QSystemTrayIcon::NoIcon;
  }
}

}  // namespace

struct TQtNotifyArea::TIcon {
  std::unique_ptr<QSystemTrayIcon> Tray = std::make_unique<QSystemTrayIcon>();
  std::uint32_t CallbackMessage = 0;
  QTimer BalloonShown;
};

TQtNotifyArea::TQtNotifyArea(TQtDesktop& desktop) : desktop_(desktop) {
  trayPoll_.setInterval(kTrayPollMs);
  QObject::connect(&trayPoll_, &QTimer::timeout, &trayPoll_, [this] { CheckTrayHost(); });
  // On X11 the platform's native interface announces each new or vanished tray host, so an
  // idle program need not wake up to look; the signal is only reachable by its name. The
  // interface derives from QObject alone, so its address is that of its QObject.
  auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
  if (native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
    trayPoll_.setInterval(0);
    trayPoll_.setSingleShot(true);
    hostTracked_ = QObject::connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), &trayPoll_, SLOT(start()));
  }
  if (!hostTracked_) {
    trayPoll_.setInterval(kTrayPollMs);
    trayPoll_.setSingleShot(false);
  }
}

TQtNotifyArea::~TQtNotifyArea() = default;

void TQtNotifyArea::CheckTrayHost() {
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  if (available == hostSeen_) return;
  hostSeen_ = available;
  if (!available) {
    // The host took its icons with it.
    icons_.clear();
    return;
  }
  for (const TWindowHandle application : desktop_.WindowsOfKind(TQtWindowKind::Application)) {
    desktop_.PostWindowMessage(application, kTaskbarCreatedMessage, 0, 0);
  }
}

QSystemTrayIcon* TQtNotifyArea::TrayIcon(TWindowHandle window, std::uint32_t id) const {
  const auto found = icons_.find({window, id});
  return found == icons_.end() ? nullptr : found->second->Tray.get();
}

bool TQtNotifyArea::NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) {
  if (!watching_) {
    watching_ = true;
    hostSeen_ = QSystemTrayIcon::isSystemTrayAvailable();
    if (!hostTracked_) trayPoll_.start();
  }
  const TKey key{data.hWnd, data.uID};
  const auto found = icons_.find(key);
  switch (operation) {
    case TNotifyIconMessage::Add:
      return found == icons_.end() && Add(data);
    case TNotifyIconMessage::Modify:
      if (found == icons_.end()) return false;
      Apply(*found->second, data);
      return true;
    case TNotifyIconMessage::Remove:
      if (found == icons_.end()) return false;
      icons_.erase(found);
      return true;
    case TNotifyIconMessage::SetVersion:
      return found != icons_.end();
  }
  return false;
}

bool TQtNotifyArea::Add(const TNotifyIconData& data) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  hostSeen_ = true;
  const TKey key{data.hWnd, data.uID};
  auto icon = std::make_unique<TIcon>();
  QSystemTrayIcon* tray = icon->Tray.get();
  QObject::connect(tray, &QSystemTrayIcon::activated, tray, [this, key](QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
      case QSystemTrayIcon::Trigger: Callback(key, {msg::LButtonDown, msg::LButtonUp}); break;
      case QSystemTrayIcon::DoubleClick: Callback(key, {msg::LButtonDblClk, msg::LButtonUp}); break;
      case QSystemTrayIcon::Context: Callback(key, {msg::RButtonDown, msg::RButtonUp}); break;
      case QSystemTrayIcon::MiddleClick: Callback(key, {msg::MButtonDown, msg::MButtonUp}); break;
      case QSystemTrayIcon::Unknown: break;
    }
  });
  QTimer& shown = icon->BalloonShown;
  shown.setSingleShot(true);
  QObject::connect(tray, &QSystemTrayIcon::messageClicked, tray, [this, key, &shown] {
    shown.stop();
    Callback(key, {msg::BalloonUserClick});
  });
  QObject::connect(&shown, &QTimer::timeout, &shown, [this, key] { Callback(key, {msg::BalloonTimeout}); });
  TNotifyIconData withoutBalloon = data;
  withoutBalloon.uFlags &= ~nif::Info;
  Apply(*icon, withoutBalloon);
  // Qt shows no icon without a picture; an icon added without one shows an empty square.
  if (!(data.uFlags & nif::Icon)) tray->setIcon(ToIcon(nullptr));
  tray->show();
  TIcon& added = *icons_.emplace(key, std::move(icon)).first->second;
  if (data.uFlags & nif::Info) ShowBalloon(added, data);
  return true;
}

void TQtNotifyArea::Apply(TIcon& icon, const TNotifyIconData& data) {
  if (data.uFlags & nif::Message) icon.CallbackMessage = data.uCallbackMessage;
  if (data.uFlags & nif::Icon) icon.Tray->setIcon(ToIcon(data.hIcon));
  if (data.uFlags & nif::Tip) icon.Tray->setToolTip(ToDisplayText(FieldText(data.szTip)));
  if (data.uFlags & nif::Info) ShowBalloon(icon, data);
}

void TQtNotifyArea::ShowBalloon(TIcon& icon, const TNotifyIconData& data) {
  icon.BalloonShown.stop();
  const std::string text = FieldText(data.szInfo);
  // An empty text withdraws the balloon; Qt replaces a shown one with the next instead.
  if (text.empty()) return;
  const int shownMs = data.uTimeoutOrVersion ? static_cast<int>(data.uTimeoutOrVersion) : kDefaultBalloonMs;
  icon.Tray->showMessage(ToQString(FieldText(data.szInfoTitle)), ToDisplayText(text), BalloonIcon(data.dwInfoFlags),
                         shownMs);
  icon.BalloonShown.start(shownMs);
  Callback({data.hWnd, data.uID}, {msg::BalloonShow});
}

void TQtNotifyArea::Callback(const TKey& key, std::vector<std::uint32_t> codes) {
  const auto found = icons_.find(key);
  if (found == icons_.end()) return;
  std::vector<TMessage> messages;
  for (const std::uint32_t code : codes) {
    messages.push_back(TMessage{found->second->CallbackMessage, key.second, static_cast<std::intptr_t>(code), 0});
  }
  desktop_.PostWindowMessages(key.first, std::move(messages));
}

}  // namespace zerka::qt
