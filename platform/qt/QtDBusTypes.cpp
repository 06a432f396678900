#include "platform/qt/QtDBusTypes.h"

#include <QDBusMetaType>

namespace zerka::qt {

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusPixmap& pixmap) {
  argument.beginStructure();
  argument << pixmap.Width << pixmap.Height << pixmap.Pixels;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusPixmap& pixmap) {
  argument.beginStructure();
  argument >> pixmap.Width >> pixmap.Height >> pixmap.Pixels;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusToolTip& tip) {
  argument.beginStructure();
  argument << tip.IconName << tip.Pixmaps << tip.Title << tip.Text;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusToolTip& tip) {
  argument.beginStructure();
  argument >> tip.IconName >> tip.Pixmaps >> tip.Title >> tip.Text;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuLayout& layout) {
  argument.beginStructure();
  argument << layout.Id << layout.Properties;
  argument.beginArray(qMetaTypeId<QDBusVariant>());
  for (const QVariant& child : layout.Children) argument << QDBusVariant(child);
  argument.endArray();
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuLayout& layout) {
  argument.beginStructure();
  argument >> layout.Id >> layout.Properties;
  layout.Children.clear();
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    layout.Children.push_back(child.variant());
  }
  argument.endArray();
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuItemProperties& item) {
  argument.beginStructure();
  argument << item.Id << item.Properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuItemProperties& item) {
  argument.beginStructure();
  argument >> item.Id >> item.Properties;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuItemKeys& item) {
  argument.beginStructure();
  argument << item.Id << item.Names;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuItemKeys& item) {
  argument.beginStructure();
  argument >> item.Id >> item.Names;
  argument.endStructure();
  return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TDBusMenuEvent& event) {
  argument.beginStructure();
  argument << event.Id << event.EventId << event.Data << event.Timestamp;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TDBusMenuEvent& event) {
  argument.beginStructure();
  argument >> event.Id >> event.EventId >> event.Data >> event.Timestamp;
  argument.endStructure();
  return argument;
}

void RegisterDBusTypes() {
  static const bool registered = [] {
    qDBusRegisterMetaType<TDBusPixmap>();
    qDBusRegisterMetaType<TDBusPixmaps>();
    qDBusRegisterMetaType<TDBusToolTip>();
    qDBusRegisterMetaType<TDBusMenuLayout>();
    qDBusRegisterMetaType<TDBusMenuItemProperties>();
    qDBusRegisterMetaType<TDBusMenuItemPropertiesList>();
    qDBusRegisterMetaType<TDBusMenuItemKeys>();
    qDBusRegisterMetaType<TDBusMenuItemKeysList>();
    qDBusRegisterMetaType<TDBusMenuEvent>();
    qDBusRegisterMetaType<TDBusMenuEventList>();
    // QtDBus looks a slot's argument types up by the names the slot was declared with; a list
    // is registered as QList<...>, so each list is also made known by its own name, or its
    // methods would be left out of the exported interface.
    qRegisterMetaType<TDBusPixmaps>("zerka::qt::TDBusPixmaps");
    qRegisterMetaType<TDBusMenuItemPropertiesList>("zerka::qt::TDBusMenuItemPropertiesList");
    qRegisterMetaType<TDBusMenuItemKeysList>("zerka::qt::TDBusMenuItemKeysList");
    qRegisterMetaType<TDBusMenuEventList>("zerka::qt::TDBusMenuEventList");
    return true;
  }();
  (void)registered;
}

}  // namespace zerka::qt
