#pragma once
// A notification-area icon as a status-notifier item on the D-Bus session bus, for desktops
// whose tray host draws the icons and their menus itself (most of today's, Wayland ones all):
//  [x] the item with its picture at 16, 22, 24, 32, 48 and 64 pixels, its tip text as
//      tooltip, announced to the status-notifier watcher
//  [x] announced again when the watcher drops it while it lives (some hosts lose items in a
//      start-up race), at most 5 times a minute; then again once the watcher or a host changes
//  [x] the icon's menu model exported as a D-Bus menu (com.canonical.dbusmenu, every method
//      of the interface): read as it stands whenever the host asks or the icon changes, the
//      items' own ids as entry ids; captions with "&" as the host's "_", separators, pictures
//      as PNG icon data at the screen's scale, enabled and toggle state, the default entry
//      marked; every property an entry has sent each time, changes announced (LayoutUpdated,
//      ItemsPropertiesUpdated), and whether the menu changed answered for each host by what
//      that host last read
//  [x] the host's activations, its context-menu request and each chosen entry handed on, with
//      the activation token the host offered just before
// The item owns nothing of the program's state: it shows what it is given and reports what
// the host asks for.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "framework/Platform.h"
#include "platform/qt/QtDBusTypes.h"

namespace zerka::qt {

class TStatusNotifierItem;

// The object at /StatusNotifierItem.
class TStatusNotifierItemObject : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ Category)
  Q_PROPERTY(QString Id READ Id)
  Q_PROPERTY(QString Title READ Title)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(int WindowId READ WindowId)
  Q_PROPERTY(QString IconThemePath READ NoName)
  Q_PROPERTY(QString IconName READ NoName)
  Q_PROPERTY(zerka::qt::TDBusPixmaps IconPixmap READ IconPixmap)
  Q_PROPERTY(QString OverlayIconName READ NoName)
  Q_PROPERTY(zerka::qt::TDBusPixmaps OverlayIconPixmap READ NoPixmaps)
  Q_PROPERTY(QString AttentionIconName READ NoName)
  Q_PROPERTY(zerka::qt::TDBusPixmaps AttentionIconPixmap READ NoPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ NoName)
  Q_PROPERTY(zerka::qt::TDBusToolTip ToolTip READ ToolTip)
  Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ Menu)

 public:
  explicit TStatusNotifierItemObject(TStatusNotifierItem& item) : item_(item) {}

  QString Category() const { return QStringLiteral("ApplicationStatus"); }
  QString Id() const { return QStringLiteral("zerka2remote"); }
  QString Title() const;
  QString Status() const { return QStringLiteral("Active"); }
  int WindowId() const { return 0; }
  QString NoName() const { return {}; }
  TDBusPixmaps IconPixmap() const;
  TDBusPixmaps NoPixmaps() const { return {}; }
  TDBusToolTip ToolTip() const;
  bool ItemIsMenu() const { return false; }
  QDBusObjectPath Menu() const { return QDBusObjectPath(QStringLiteral("/MenuBar")); }

 public Q_SLOTS:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);
  void ProvideXdgActivationToken(const QString& token);

 Q_SIGNALS:
  void NewTitle();
  void NewIcon();
  void NewToolTip();
  void NewStatus(const QString& status);

 private:
  TStatusNotifierItem& item_;
};

// The object at /MenuBar. Asked for an entry it does not have, it answers with an error.
class TDBusMenuObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ Version)
  Q_PROPERTY(QString TextDirection READ TextDirection)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(QStringList IconThemePath READ IconThemePath)

 public:
  explicit TDBusMenuObject(TStatusNotifierItem& item) : item_(item) {}

  uint Version() const { return 3; }
  QString TextDirection() const { return QStringLiteral("ltr"); }
  QString Status() const { return QStringLiteral("normal"); }
  QStringList IconThemePath() const { return {}; }

 public Q_SLOTS:
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                 zerka::qt::TDBusMenuLayout& layout);
  zerka::qt::TDBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
  QDBusVariant GetProperty(int id, const QString& name);
  void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  QList<int> EventGroup(const zerka::qt::TDBusMenuEventList& events);
  bool AboutToShow(int id);
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 Q_SIGNALS:
  void LayoutUpdated(uint revision, int parent);
  void ItemsPropertiesUpdated(const zerka::qt::TDBusMenuItemPropertiesList& updatedProps,
                              const zerka::qt::TDBusMenuItemKeysList& removedProps);

 private:
  // The calling host's record of the revision it read last.
  uint& SeenBySender();

  TStatusNotifierItem& item_;
  std::map<QString, uint> seen_;
};

// Receives the watcher's signals; not exported.
class TStatusNotifierWatcherSignals : public QObject {
  Q_OBJECT

 public:
  explicit TStatusNotifierWatcherSignals(std::function<void(const QString&)> onItemUnregistered)
      : onItemUnregistered_(std::move(onItemUnregistered)) {}

 public Q_SLOTS:
  void ItemUnregistered(const QString& service) { onItemUnregistered_(service); }

 private:
  std::function<void(const QString&)> onItemUnregistered_;
};

class TStatusNotifierItem {
 public:
  enum class TAction { Activate, SecondaryActivate, ContextMenu };
  struct THandlers {
    // The menu as it stands.
    std::function<std::vector<TMenuModelEntry>()> ReadMenu;
    // An entry chosen in the host's menu.
    std::function<void(std::int32_t id, const QString& activationToken)> Choose;
    // An action on the icon, at a screen position (0, 0 when the host gave none).
    std::function<void(TAction action, QPoint at, const QString& activationToken)> Act;
  };

  // title: the program's name, as the host lists it.
  TStatusNotifierItem(QDBusConnection bus, QString title, THandlers handlers);
  ~TStatusNotifierItem();
  TStatusNotifierItem(const TStatusNotifierItem&) = delete;
  TStatusNotifierItem& operator=(const TStatusNotifierItem&) = delete;

  // Puts the item on the bus and announces it to the watcher; false when the bus refused.
  bool Register();
  // Announces the item again, to a watcher that has just taken over; the watcher may drop it
  // as often as it allows again.
  void Announce();
  // Announces the item again if the watcher dropped it more often than it was announced anew.
  void AnnounceIfDropped();
  void SetIcon(const TIconImagePtr& picture);
  void SetToolTip(const QString& text);
  // Reads the menu again and tells the hosts what changed.
  void UpdateMenu();
  const QString& ServiceName() const { return serviceName_; }

 private:
  friend class TStatusNotifierItemObject;
  friend class TDBusMenuObject;

  // Reads the menu again; true when it changed since the last reading, which the hosts are
  // then told.
  bool RefreshMenu();
  const TMenuModelEntry* FindEntry(int id) const;
  QVariantMap EntryProperties(const TPopupEntry& entry, int id) const;
  TDBusMenuLayout EntryLayout(const TMenuModelEntry& entry, const QStringList& propertyNames) const;
  void Choose(int id);
  void Act(TAction action, int x, int y);
  void SendRegistration();
  void Unregistered(const QString& service);

  QDBusConnection bus_;
  QString title_;
  THandlers handlers_;
  QString serviceName_;
  bool registered_ = false;
  TIconImagePtr picture_;
  QString toolTip_;
  std::vector<TMenuModelEntry> entries_;
  // Entries once shown checked: a toggle from then on, so that unchecking shows.
  std::set<int> toggles_;
  uint revision_ = 1;
  QString activationToken_;
  std::unique_ptr<TStatusNotifierItemObject> itemObject_;
  std::unique_ptr<TDBusMenuObject> menuObject_;
  std::unique_ptr<TStatusNotifierWatcherSignals> watcherSignals_;
  // Announcements made anew after a drop, within the last minute.
  std::deque<std::chrono::steady_clock::time_point> reannounced_;
  bool givenUp_ = false;
  QTimer reannounce_;
};

}  // namespace zerka::qt
