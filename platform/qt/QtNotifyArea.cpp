#include "platform/qt/QtNotifyArea.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMetaObject>
#include <QSystemTrayIcon>

#include <cstring>
#include <string>

#include "platform/qt/QtActivationToken.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtDesktopNotifications.h"
#include "platform/qt/QtIcons.h"
#include "platform/qt/QtServices.h"
#include "platform/qt/QtStatusNotifierItem.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {
namespace {

// The shell's own display time when a balloon asks for none.
constexpr int kDefaultBalloonMs = 10000;

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

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

// On an XEmbed host Tray is set, on a status-notifier host Item and Notifications.
struct TQtNotifyArea::TIcon {
  std::uint32_t CallbackMessage = 0;
  std::unique_ptr<QSystemTrayIcon> Tray;
  QTimer BalloonShown;
  std::unique_ptr<TStatusNotifierItem> Item;
  std::unique_ptr<TDesktopNotifications> Notifications;
};

TQtNotifyArea::TQtNotifyArea(TQtDesktop& desktop, TQtServices& services) : desktop_(desktop), services_(services) {
  recheck_.setSingleShot(true);
  recheck_.setInterval(0);
  QObject::connect(&recheck_, &QTimer::timeout, &recheck_, [this] { CheckTrayHost(); });
  // On X11 the platform's native interface announces each new or vanished tray host; the
  // signal is only reachable by its name. The interface derives from QObject alone, so its
  // address is that of its QObject.
  auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
  if (native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
    QObject::connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), &recheck_, SLOT(start()));
  }
  missingTray_.setSingleShot(true);
  QObject::connect(&missingTray_, &QTimer::timeout, &missingTray_, [this] { ShowMissingTrayNotice(); });
  desktop_.SetHideGuard([this](TWindowHandle form) { return KeepFormShown(form); });
}

TQtNotifyArea::~TQtNotifyArea() { desktop_.SetHideGuard(nullptr); }

TQtNotifyArea::THost TQtNotifyArea::CurrentHost() const {
  // Only the bus itself is asked here, which answers at once.
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected() && bus.interface()->isServiceRegistered(kWatcherService) && watcherHasHost_.value_or(true)) {
    return THost::StatusNotifier;
  }
  return QSystemTrayIcon::isSystemTrayAvailable() ? THost::XEmbed : THost::None;
}

// A watcher without a host that was taken to have one loses the item again at its answer,
// and the icon moves on to the next kind of host.
void TQtNotifyArea::AskWatcher() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  get.setAutoStartService(false);
  const unsigned question = ++watcherQuestion_;
  auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(get), &recheck_);
  QObject::connect(answer, &QDBusPendingCallWatcher::finished, &recheck_, [this, question](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    // An answer overtaken by a later question says nothing about the watcher of now.
    if (question != watcherQuestion_) return;
    const QDBusMessage reply = call->reply();
    watcherHasHost_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                      qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().toBool();
    SettleHost();
  });
}

void TQtNotifyArea::Watch() {
  if (watching_) return;
  watching_ = true;
  AskWatcher();
  host_ = CurrentHost();
  // A host at hand makes the notice moot; no need to wake up for it.
  if (host_ != THost::None) missingTray_.stop();
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  // Each watcher or host coming or going is a moment to look again.
  busWatcher_ = std::make_unique<QDBusServiceWatcher>(kWatcherService, bus, QDBusServiceWatcher::WatchForOwnerChange);
  QObject::connect(busWatcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, &recheck_, [this] {
    watcherReplaced_ = true;
    watcherHasHost_.reset();
    recheck_.start();
  });
  for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
    bus.connect(kWatcherService, QStringLiteral("/StatusNotifierWatcher"), kWatcherService,
                QString::fromLatin1(signal), &recheck_, SLOT(start()));
  }
}

void TQtNotifyArea::CheckTrayHost() {
  AskWatcher();
  SettleHost();
}

void TQtNotifyArea::SettleHost() {
  const THost host = CurrentHost();
  const bool watcherReplaced = std::exchange(watcherReplaced_, false);
  if (host == host_) {
    // A watcher that took over at once knows nothing of the items yet; one that has given up
    // an item gets it once more when something changed.
    if (host_ == THost::StatusNotifier) {
      for (const auto& [key, icon] : icons_) {
        if (watcherReplaced) {
          icon->Item->Announce();
        } else {
          icon->Item->AnnounceIfDropped();
        }
      }
    }
    return;
  }
  host_ = host;
  // The host that went took its icons with it; a new one has none of ours yet.
  icons_.clear();
  if (host == THost::None) {
    // Hidden windows would be out of reach if no host follows.
    if (!missingTrayNotice_.empty()) missingTray_.start(missingTrayMs_);
    return;
  }
  missingTray_.stop();
  for (const TWindowHandle application : desktop_.WindowsOfKind(TQtWindowKind::Application)) {
    desktop_.PostWindowMessage(application, kTaskbarCreatedMessage, 0, 0);
  }
}

void TQtNotifyArea::SetMenuModel(TWindowHandle window, std::uint32_t id, IMenuModel* model) {
  if (model) {
    menuModels_[{window, id}] = model;
  } else {
    menuModels_.erase({window, id});
  }
}

QSystemTrayIcon* TQtNotifyArea::TrayIcon(TWindowHandle window, std::uint32_t id) const {
  const auto found = icons_.find({window, id});
  return found == icons_.end() ? nullptr : found->second->Tray.get();
}

bool TQtNotifyArea::NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) {
  Watch();
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
  switch (host_) {
    case THost::StatusNotifier: return AddItem(data);
    case THost::XEmbed: return AddTrayIcon(data);
    case THost::None: break;
  }
  return false;
}

bool TQtNotifyArea::AddItem(const TNotifyIconData& data) {
  const TKey key{data.hWnd, data.uID};
  auto icon = std::make_unique<TIcon>();
  QDBusConnection bus = QDBusConnection::sessionBus();
  TStatusNotifierItem::THandlers handlers;
  handlers.ReadMenu = [this, key] {
    const auto found = menuModels_.find(key);
    return found == menuModels_.end() ? std::vector<TMenuModelEntry>{} : found->second->MenuEntries();
  };
  // Queued, so that the host has its answer before a confirmation's box opens.
  handlers.Choose = [this, key](std::int32_t id, const QString& token) {
    desktop_.PostTask([this, key, id, token] { HostChoice(key, id, token); });
  };
  handlers.Act = [this, key](TStatusNotifierItem::TAction action, QPoint at, const QString& token) {
    std::vector<std::uint32_t> codes;
    switch (action) {
      case TStatusNotifierItem::TAction::Activate: codes = {msg::LButtonDown, msg::LButtonUp}; break;
      case TStatusNotifierItem::TAction::SecondaryActivate: codes = {msg::MButtonDown, msg::MButtonUp}; break;
      case TStatusNotifierItem::TAction::ContextMenu: codes = {msg::RButtonDown, msg::RButtonUp}; break;
    }
    desktop_.PostTask([this, key, codes, at, token] { HostAction(key, codes, at, token); });
  };
  icon->Item = std::make_unique<TStatusNotifierItem>(bus, QString::fromLatin1(kProgramName), std::move(handlers));
  icon->Notifications = std::make_unique<TDesktopNotifications>(bus, QString::fromLatin1(kProgramName), [this, key](TDesktopNotifications::TOutcome outcome) {
    switch (outcome) {
      case TDesktopNotifications::TOutcome::Shown: Callback(key, {msg::BalloonShow}); break;
      case TDesktopNotifications::TOutcome::Clicked: Callback(key, {msg::BalloonUserClick}); break;
      case TDesktopNotifications::TOutcome::TimedOut: Callback(key, {msg::BalloonTimeout}); break;
      case TDesktopNotifications::TOutcome::Hidden: Callback(key, {msg::BalloonHide}); break;
    }
  });
  Apply(*icon, data);
  if (!icon->Item->Register()) return false;
  icons_.emplace(key, std::move(icon));
  return true;
}

void TQtNotifyArea::HostAction(const TKey& key, std::vector<std::uint32_t> codes, QPoint at, const QString& token) {
  const auto found = icons_.find(key);
  if (found == icons_.end()) return;
  const std::uint32_t callbackMessage = found->second->CallbackMessage;
  OfferActivationToken(token);
  const TQtServices::TPointerAt pointer(services_, at);
  for (const std::uint32_t code : codes) {
    TMessage message{callbackMessage, key.second, static_cast<std::intptr_t>(code), 0};
    desktop_.DeliverFromQt(key.first, message);
  }
  UpdateMenu(key);
}

void TQtNotifyArea::HostChoice(const TKey& key, std::int32_t id, const QString& token) {
  const auto found = menuModels_.find(key);
  if (found == menuModels_.end()) return;
  OfferActivationToken(token);
  found->second->ChooseMenuEntry(id);
  UpdateMenu(key);
}

void TQtNotifyArea::UpdateMenu(const TKey& key) {
  const auto found = icons_.find(key);
  if (found != icons_.end() && found->second->Item) found->second->Item->UpdateMenu();
}

bool TQtNotifyArea::AddTrayIcon(const TNotifyIconData& data) {
  const TKey key{data.hWnd, data.uID};
  auto icon = std::make_unique<TIcon>();
  icon->Tray = std::make_unique<QSystemTrayIcon>();
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
  if (data.uFlags & nif::Icon) {
    if (icon.Tray) icon.Tray->setIcon(ToIcon(data.hIcon));
    if (icon.Item) icon.Item->SetIcon(data.hIcon);
  }
  if (data.uFlags & nif::Tip) {
    const QString tip = ToDisplayText(FieldText(data.szTip));
    if (icon.Tray) icon.Tray->setToolTip(tip);
    if (icon.Item) icon.Item->SetToolTip(tip);
  }
  if (data.uFlags & nif::Info) ShowBalloon(icon, data);
  // The program changes its menu together with its icon and tip.
  if (icon.Item) icon.Item->UpdateMenu();
}

void TQtNotifyArea::ShowBalloon(TIcon& icon, const TNotifyIconData& data) {
  const std::string text = FieldText(data.szInfo);
  const int shownMs = data.uTimeoutOrVersion ? static_cast<int>(data.uTimeoutOrVersion) : kDefaultBalloonMs;
  if (icon.Notifications) {
    if (text.empty()) {
      icon.Notifications->Withdraw();
    } else {
      icon.Notifications->Show(ToQString(FieldText(data.szInfoTitle)), ToDisplayText(text), data.dwInfoFlags, shownMs);
    }
    return;
  }
  icon.BalloonShown.stop();
  // An empty text withdraws the balloon; Qt replaces a shown one with the next instead.
  if (text.empty()) return;
  icon.Tray->showMessage(ToQString(FieldText(data.szInfoTitle)), ToDisplayText(text), BalloonIcon(data.dwInfoFlags),
                         shownMs);
  icon.BalloonShown.start(shownMs);
  Callback({data.hWnd, data.uID}, {msg::BalloonShow});
}

void TQtNotifyArea::NoticeMissingTray(int afterMs, std::string notice) {
  missingTrayNotice_ = std::move(notice);
  missingTrayMs_ = afterMs;
  missingTray_.start(afterMs);
}

void TQtNotifyArea::ShowMissingTrayNotice() {
  Watch();
  if (host_ != THost::None) return;
  for (const TWindowHandle form : desktop_.WindowsOfKind(TQtWindowKind::Form)) {
    desktop_.SendWindowMessage(form, msg::ShowRequest, 0, 0);
    PutNotice(form);
  }
}

void TQtNotifyArea::PutNotice(TWindowHandle form) {
  for (const TWindowHandle control : desktop_.WindowsOfKind(TQtWindowKind::Control)) {
    const TQtWindow* held = desktop_.Find(control);
    if (held && held->Parent == form && held->Control.Kind == TControlKind::StatusBar) {
      desktop_.SetText(control, missingTrayNotice_);
    }
  }
}

// With no tray to come back from, a hidden form could only be reached by starting the
// program again.
bool TQtNotifyArea::KeepFormShown(TWindowHandle form) {
  if (missingTrayNotice_.empty() || host_ != THost::None || !watching_) return false;
  PutNotice(form);
  return true;
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
