#pragma once
// The structured D-Bus types of the status-notifier item and its exported menu, with their
// marshalling. RegisterDBusTypes makes them known to QtDBus once per process.

#include <QByteArray>
#include <QDBusArgument>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace zerka::qt {

// One picture of an icon: width, height and ARGB32 pixels in network byte order.
struct TDBusPixmap {
  int Width = 0;
  int Height = 0;
  QByteArray Pixels;
};
using TDBusPixmaps = QList<TDBusPixmap>;

struct TDBusToolTip {
  QString IconName;
  TDBusPixmaps Pixmaps;
  QString Title;
  QString Text;
};

// A menu entry with its children, each child a variant holding another layout.
struct TDBusMenuLayout {
  int Id = 0;
  QVariantMap Properties;
  QVariantList Children;
};

struct TDBusMenuItemProperties {
  int Id = 0;
  QVariantMap Properties;
};
using TDBusMenuItemPropertiesList = QList<TDBusMenuItemProperties>;

struct TDBusMenuItemKeys {
  int Id = 0;
  QStringList Names;
};
using TDBusMenuItemKeysList = QList<TDBusMenuItemKeys>;

struct TDBusMenuEvent {
  int Id = 0;
  QString EventId;
  QDBusVariant Data;
  uint Timestamp = 0;
};
using TDBusMenuEventList = QList<TDBusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuItemKeys& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuItemKeys& item);
QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuEvent& event);

void RegisterDBusTypes();

}  // namespace zerka::qt

Q_DECLARE_METATYPE(zerka::qt::TDBusPixmap)
Q_DECLARE_METATYPE(zerka::qt::TDBusToolTip)
Q_DECLARE_METATYPE(zerka::qt::TDBusMenuLayout)
Q_DECLARE_METATYPE(zerka::qt::TDBusMenuItemProperties)
Q_DECLARE_METATYPE(zerka::qt::TDBusMenuItemKeys)
Q_DECLARE_METATYPE(zerka::qt::TDBusMenuEvent)
