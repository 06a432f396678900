#include "platform/qt/QtStatusNotifierItem.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusInterface>
#include <QDBusMessage>

#include <algorithm>
#include <atomic>

#include "platform/qt/QtIcons.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
constexpr int kIconSizes[] = {16, 22, 24, 32, 48};

// The host draws a menu caption with "_" before its access key: "&" marks ours and goes, a
// doubled "&" is a plain one, an underscore of the caption is doubled to stay plain.
QString MenuLabel(const std::string& caption) {
  const QString text = ToQString(caption);
  QString label;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') label += text[++i];
      continue;
    }
    if (c == u'_') label += u'_';
    label += c;
  }
  return label;
}

QByteArray Png(const TIconImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ToImage(picture).save(&buffer, "PNG");
  return bytes;
}

TDBusPixmap DBusPixmap(const TIconImage& picture, int size) {
  const QImage image = ToImage(picture, size);
  TDBusPixmap pixmap{size, size, {}};
  pixmap.Pixels.reserve(size * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const QRgb pixel = image.pixel(x, y);
      pixmap.Pixels.append(static_cast<char>(qAlpha(pixel)));
      pixmap.Pixels.append(static_cast<char>(qRed(pixel)));
      pixmap.Pixels.append(static_cast<char>(qGreen(pixel)));
      pixmap.Pixels.append(static_cast<char>(qBlue(pixel)));
    }
  }
  return pixmap;
}

QVariantMap EntryProperties(const TPopupEntry& entry) {
  if (entry.Caption == "-") return {{QStringLiteral("type"), QStringLiteral("separator")}};
  QVariantMap properties{{QStringLiteral("label"), MenuLabel(entry.Caption)}};
  if (!entry.Enabled) properties.insert(QStringLiteral("enabled"), false);
  if (entry.Picture) properties.insert(QStringLiteral("icon-data"), Png(*entry.Picture));
  if (entry.Checked) {
    properties.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
    properties.insert(QStringLiteral("toggle-state"), 1);
  }
  // The menu format has no bold entry; hosts that know this mark may show it.
  if (entry.Default) properties.insert(QStringLiteral("x-default"), true);
  return properties;
}

QVariantMap Filtered(const QVariantMap& properties, const QStringList& names) {
  if (names.isEmpty()) return properties;
  QVariantMap kept;
  for (const QString& name : names) {
    if (properties.contains(name)) kept.insert(name, properties.value(name));
  }
  return kept;
}

}  // namespace

bool StatusNotifierHostPresent(const QDBusConnection& bus) {
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcherService)) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().toBool();
}

// --- the item object

QString TStatusNotifierItemObject::Title() const { return item_.title_; }

TDBusPixmaps TStatusNotifierItemObject::IconPixmap() const {
  TDBusPixmaps pixmaps;
  if (!item_.picture_) return pixmaps;
  for (const int size : kIconSizes) pixmaps.push_back(DBusPixmap(*item_.picture_, size));
  return pixmaps;
}

TDBusToolTip TStatusNotifierItemObject::ToolTip() const { return TDBusToolTip{{}, {}, item_.toolTip_, {}}; }

void TStatusNotifierItemObject::Activate(int, int) { item_.onAction_({msg::LButtonDown, msg::LButtonUp}, -1); }

void TStatusNotifierItemObject::SecondaryActivate(int, int) {
  item_.onAction_({msg::MButtonDown, msg::MButtonUp}, -1);
}

// Only hosts that draw no menu ask for one; the press opens none of ours on such hosts.
void TStatusNotifierItemObject::ContextMenu(int, int) { item_.onAction_({msg::RButtonDown, msg::RButtonUp}, -1); }

void TStatusNotifierItemObject::Scroll(int, const QString&) {}

// --- the menu object

uint TDBusMenuObject::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                TDBusMenuLayout& layout) {
  if (parentId != 0) {
    if (!item_.IsEntry(parentId)) sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry"));
    layout = item_.EntryLayout(parentId, propertyNames);
    return item_.revision_;
  }
  layout = TDBusMenuLayout{0, {{QStringLiteral("children-display"), QStringLiteral("submenu")}}, {}};
  if (recursionDepth != 0) {
    for (std::size_t i = 0; i < item_.entries_.size(); ++i) {
      layout.Children.push_back(QVariant::fromValue(item_.EntryLayout(static_cast<int>(i) + 1, propertyNames)));
    }
  }
  return item_.revision_;
}

TDBusMenuItemPropertiesList TDBusMenuObject::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
  TDBusMenuItemPropertiesList found;
  for (int id = 1; id <= static_cast<int>(item_.entries_.size()); ++id) {
    if (ids.isEmpty() || ids.contains(id)) found.push_back({id, item_.EntryLayout(id, propertyNames).Properties});
  }
  return found;
}

QDBusVariant TDBusMenuObject::GetProperty(int id, const QString& name) {
  const QVariant value = item_.EntryLayout(id, {name}).Properties.value(name);
  if (!value.isValid()) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry or property"));
    return QDBusVariant(QString());
  }
  return QDBusVariant(value);
}

void TDBusMenuObject::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (eventId == QStringLiteral("clicked")) item_.Choose(id);
}

QList<int> TDBusMenuObject::EventGroup(const TDBusMenuEventList& events) {
  QList<int> unknown;
  for (const TDBusMenuEvent& event : events) {
    if (!item_.IsEntry(event.Id)) {
      unknown.push_back(event.Id);
      continue;
    }
    Event(event.Id, event.EventId, event.Data, event.Timestamp);
  }
  return unknown;
}

// The layout is kept current, so the host never needs to fetch it again first.
bool TDBusMenuObject::AboutToShow(int) { return false; }

QList<int> TDBusMenuObject::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  for (const int id : ids) {
    if (id != 0 && !item_.IsEntry(id)) idErrors.push_back(id);
  }
  return {};
}

// --- the item

TStatusNotifierItem::TStatusNotifierItem(QDBusConnection bus, QString title, TActionHandler onAction)
    : bus_(std::move(bus)), title_(std::move(title)), onAction_(std::move(onAction)) {
  RegisterDBusTypes();
  static std::atomic<int> serial = 0;
  serviceName_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(++serial);
  itemObject_ = std::make_unique<TStatusNotifierItemObject>(*this);
  menuObject_ = std::make_unique<TDBusMenuObject>(*this);
}

TStatusNotifierItem::~TStatusNotifierItem() {
  if (!registered_) return;
  bus_.unregisterObject(kItemPath);
  bus_.unregisterObject(kMenuPath);
  bus_.unregisterService(serviceName_);
}

bool TStatusNotifierItem::Register() {
  constexpr auto kExport = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                           QDBusConnection::ExportAllProperties;
  if (!bus_.registerObject(kItemPath, itemObject_.get(), kExport)) return false;
  if (!bus_.registerObject(kMenuPath, menuObject_.get(), kExport) || !bus_.registerService(serviceName_)) {
    bus_.unregisterObject(kItemPath);
    bus_.unregisterObject(kMenuPath);
    return false;
  }
  registered_ = true;
  Announce();
  return true;
}

void TStatusNotifierItem::Announce() {
  bus_.asyncCall(QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                                QStringLiteral("RegisterStatusNotifierItem"))
                 << serviceName_);
}

void TStatusNotifierItem::SetIcon(const TIconImagePtr& picture) {
  if (picture == picture_ || (picture && picture_ && *picture == *picture_)) return;
  picture_ = picture;
  Q_EMIT itemObject_->NewIcon();
}

void TStatusNotifierItem::SetToolTip(const QString& text) {
  if (text == toolTip_) return;
  toolTip_ = text;
  Q_EMIT itemObject_->NewToolTip();
}

void TStatusNotifierItem::SetMenu(const std::vector<TPopupEntry>& entries) {
  const bool same = std::equal(entries.begin(), entries.end(), entries_.begin(), entries_.end(),
                               [](const TPopupEntry& a, const TPopupEntry& b) {
                                 const bool samePicture = a.Picture == b.Picture ||
                                                          (a.Picture && b.Picture && *a.Picture == *b.Picture);
                                 return a.Caption == b.Caption && samePicture && a.Default == b.Default &&
                                        a.Enabled == b.Enabled && a.Checked == b.Checked;
                               });
  if (same) return;
  entries_ = entries;
  Q_EMIT menuObject_->LayoutUpdated(++revision_, 0);
}

bool TStatusNotifierItem::IsEntry(int id) const { return id >= 1 && id <= static_cast<int>(entries_.size()); }

TDBusMenuLayout TStatusNotifierItem::EntryLayout(int id, const QStringList& propertyNames) const {
  if (!IsEntry(id)) return TDBusMenuLayout{id, {}, {}};
  return TDBusMenuLayout{id, Filtered(EntryProperties(entries_[static_cast<std::size_t>(id - 1)]), propertyNames), {}};
}

void TStatusNotifierItem::Choose(int id) {
  if (!IsEntry(id) || entries_[static_cast<std::size_t>(id - 1)].Caption == "-") return;
  onAction_({msg::RButtonDown, msg::RButtonUp}, id - 1);
}

}  // namespace zerka::qt
