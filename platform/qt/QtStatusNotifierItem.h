#pragma once
// A notification-area icon as a status-notifier item on the D-Bus session bus, for desktops
// whose tray host draws the icons and their menus itself (most of today's, Wayland ones all):
//  [x] the item with its picture at 16, 22, 24, 32 and 48 pixels, its tip text as tooltip,
//      announced to the status-notifier watcher
//  [x] the popup menu's entries exported as a D-Bus menu: captions without "&", separators,
//      pictures as PNG icon data, disabled and checked entries, the default entry marked
//  [x] the host's activations handed on as the mouse codes of the clicks they stand for; a
//      chosen menu entry as the right click whose popup chose it
// The item owns nothing of the program's state: it shows what it is given and reports what
// the host asks for.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
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

 private:
  TStatusNotifierItem& item_;
};

class TStatusNotifierItem {
 public:
  // The host's actions: the mouse codes they stand for, and the index of the menu entry
  // chosen (-1 when the action chose none).
  using TActionHandler = std::function<void(std::vector<std::uint32_t> codes, int menuChoice)>;

  // title: the program's name, as the host lists it.
  TStatusNotifierItem(QDBusConnection bus, QString title, TActionHandler onAction);
  ~TStatusNotifierItem();
  TStatusNotifierItem(const TStatusNotifierItem&) = delete;
  TStatusNotifierItem& operator=(const TStatusNotifierItem&) = delete;

  // Puts the item on the bus and announces it to the watcher; false when the bus refused.
  bool Register();
  // Announces the item again, to a watcher that has just taken over.
  void Announce();
  void SetIcon(const TIconImagePtr& picture);
  void SetToolTip(const QString& text);
  // The entries of the menu the host shows; a change is announced to the host.
  void SetMenu(const std::vector<TPopupEntry>& entries);
  const QString& ServiceName() const { return serviceName_; }

 private:
  friend class TStatusNotifierItemObject;
  friend class TDBusMenuObject;

  TDBusMenuLayout EntryLayout(int id, const QStringList& propertyNames) const;
  bool IsEntry(int id) const;
  void Choose(int id);

  QDBusConnection bus_;
  QString title_;
  TActionHandler onAction_;
  QString serviceName_;
  bool registered_ = false;
  TIconImagePtr picture_;
  QString toolTip_;
  std::vector<TPopupEntry> entries_;
  uint revision_ = 1;
  std::unique_ptr<TStatusNotifierItemObject> itemObject_;
  std::unique_ptr<TDBusMenuObject> menuObject_;
};

// True when a status-notifier watcher with a registered host is on the bus.
bool StatusNotifierHostPresent(const QDBusConnection& bus);

}  // namespace zerka::qt
