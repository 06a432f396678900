#include "platform/qt/QtStatusNotifierItem.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "platform/qt/QtIcons.h"
#include "platform/qt/QtText.h"

namespace zerka::qt {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};

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

// Menu pictures at the scale of the screen the host draws on, by whole factors.
int MenuPictureSide() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int scale = screen ? std::max(1, static_cast<int>(std::ceil(screen->devicePixelRatio() - 0.01))) : 1;
  return TIconImage::kWidth * scale;
}

QByteArray Png(const TIconImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ToImage(picture, MenuPictureSide()).save(&buffer, "PNG");
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

void TStatusNotifierItemObject::Activate(int x, int y) { item_.Act(TStatusNotifierItem::TAction::Activate, x, y); }

void TStatusNotifierItemObject::SecondaryActivate(int x, int y) {
  item_.Act(TStatusNotifierItem::TAction::SecondaryActivate, x, y);
}

// Only hosts that draw no menu of their own ask for ours.
void TStatusNotifierItemObject::ContextMenu(int x, int y) {
  item_.Act(TStatusNotifierItem::TAction::ContextMenu, x, y);
}

void TStatusNotifierItemObject::Scroll(int, const QString&) {}

// Offered just before an action, so that a window the action opens may take the focus.
void TStatusNotifierItemObject::ProvideXdgActivationToken(const QString& token) { item_.activationToken_ = token; }

// --- the menu object

uint TDBusMenuObject::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                TDBusMenuLayout& layout) {
  item_.RefreshMenu();
  if (parentId != 0) {
    const TMenuModelEntry* entry = item_.FindEntry(parentId);
    if (!entry) {
      sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry"));
      return 0;
    }
    layout = item_.EntryLayout(*entry, propertyNames);
    return item_.revision_;
  }
  layout = TDBusMenuLayout{0, Filtered({{QStringLiteral("children-display"), QStringLiteral("submenu")}}, propertyNames), {}};
  if (recursionDepth != 0) {
    for (const TMenuModelEntry& entry : item_.entries_) {
      layout.Children.push_back(QVariant::fromValue(item_.EntryLayout(entry, propertyNames)));
    }
  }
  return item_.revision_;
}

TDBusMenuItemPropertiesList TDBusMenuObject::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
  item_.RefreshMenu();
  TDBusMenuItemPropertiesList found;
  for (const TMenuModelEntry& entry : item_.entries_) {
    if (ids.isEmpty() || ids.contains(entry.Id)) {
      found.push_back({entry.Id, item_.EntryLayout(entry, propertyNames).Properties});
    }
  }
  return found;
}

QDBusVariant TDBusMenuObject::GetProperty(int id, const QString& name) {
  item_.RefreshMenu();
  const TMenuModelEntry* entry = item_.FindEntry(id);
  const QVariant value = entry ? item_.EntryLayout(*entry, {name}).Properties.value(name) : QVariant();
  if (!value.isValid()) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry or property"));
    return QDBusVariant(QString());
  }
  return QDBusVariant(value);
}

void TDBusMenuObject::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (!item_.FindEntry(id)) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry"));
    return;
  }
  if (eventId == QStringLiteral("clicked")) item_.Choose(id);
}

QList<int> TDBusMenuObject::EventGroup(const TDBusMenuEventList& events) {
  QList<int> unknown;
  for (const TDBusMenuEvent& event : events) {
    if (!item_.FindEntry(event.Id)) {
      unknown.push_back(event.Id);
    } else if (event.EventId == QStringLiteral("clicked")) {
      item_.Choose(event.Id);
    }
  }
  if (!events.isEmpty() && unknown.size() == events.size()) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entries"));
  }
  return unknown;
}

// The host is about to show the menu: it gets it as it stands now.
bool TDBusMenuObject::AboutToShow(int id) {
  const bool changed = item_.RefreshMenu();
  if (id != 0 && !item_.FindEntry(id)) sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry"));
  return changed;
}

QList<int> TDBusMenuObject::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  const bool changed = item_.RefreshMenu();
  QList<int> updatesNeeded;
  for (const int id : ids) {
    if (id != 0 && !item_.FindEntry(id)) {
      idErrors.push_back(id);
    } else if (changed) {
      updatesNeeded.push_back(id);
    }
  }
  return updatesNeeded;
}

// --- the item

TStatusNotifierItem::TStatusNotifierItem(QDBusConnection bus, QString title, THandlers handlers)
    : bus_(std::move(bus)), title_(std::move(title)), handlers_(std::move(handlers)) {
  RegisterDBusTypes();
  static std::atomic<int> serial = 0;
  serviceName_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(++serial);
  itemObject_ = std::make_unique<TStatusNotifierItemObject>(*this);
  menuObject_ = std::make_unique<TDBusMenuObject>(*this);
  RefreshMenu();
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

bool TStatusNotifierItem::RefreshMenu() {
  std::vector<TMenuModelEntry> entries = handlers_.ReadMenu ? handlers_.ReadMenu() : std::vector<TMenuModelEntry>{};
  if (entries == entries_) return false;
  entries_ = std::move(entries);
  ++revision_;
  return true;
}

const TMenuModelEntry* TStatusNotifierItem::FindEntry(int id) const {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [id](const TMenuModelEntry& entry) { return entry.Id == id; });
  return found == entries_.end() ? nullptr : &*found;
}

TDBusMenuLayout TStatusNotifierItem::EntryLayout(const TMenuModelEntry& entry, const QStringList& propertyNames) const {
  return TDBusMenuLayout{entry.Id, Filtered(EntryProperties(entry.Entry), propertyNames), {}};
}

void TStatusNotifierItem::Choose(int id) {
  const TMenuModelEntry* entry = FindEntry(id);
  if (!entry || entry->Entry.Caption == "-" || !handlers_.Choose) return;
  handlers_.Choose(id, std::exchange(activationToken_, QString()));
}

void TStatusNotifierItem::Act(TAction action, int x, int y) {
  if (handlers_.Act) handlers_.Act(action, QPoint(x, y), std::exchange(activationToken_, QString()));
}

}  // namespace zerka::qt
