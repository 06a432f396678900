#include "platform/qt/QtStatusNotifierItem.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
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

// A watcher that drops the item in a loop gets it back this often, no more.
constexpr std::size_t kReannouncementsPerMinute = 5;
constexpr auto kReannouncementWindow = std::chrono::minutes(1);
// Lets the host finish forgetting the item before it is offered again; each further drop
// within the minute waits twice as long (up to a limit), so that a host whose start-up race
// dropped it does not meet the same moment again.
constexpr int kReannounceDelayMs = 200;
constexpr int kLongestReannounceDelayMs = 1600;

// The host draws a menu caption with "_" before its access key: "&" marks ours, a doubled
// "&" is a plain one, an underscore of the caption is doubled to stay plain.
QString MenuLabel(const std::string& caption) {
  const QString text = ToQString(caption);
  QString label;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        label += text[++i];
      } else if (i + 1 < text.size()) {
        label += u'_';
      }
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

bool IsSeparator(const TPopupEntry& entry) { return entry.Caption == "-"; }

QVariantMap Filtered(const QVariantMap& properties, const QStringList& names) {
  if (names.isEmpty()) return properties;
  QVariantMap kept;
  for (const QString& name : names) {
    if (properties.contains(name)) kept.insert(name, properties.value(name));
  }
  return kept;
}

// Entries and separators in the same places: the hosts need only the changed properties.
bool SameLayout(const std::vector<TMenuModelEntry>& a, const std::vector<TMenuModelEntry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TMenuModelEntry& x, const TMenuModelEntry& y) {
    return x.Id == y.Id && IsSeparator(x.Entry) == IsSeparator(y.Entry);
  });
}

}  // namespace

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

uint& TDBusMenuObject::SeenBySender() {
  const QString sender = calledFromDBus() ? message().service() : QString();
  // Hosts come and go over a long run; a host forgotten here merely reads the menu once more.
  if (!seen_.count(sender) && seen_.size() >= 32) seen_.clear();
  return seen_.try_emplace(sender, 0).first->second;
}

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
  SeenBySender() = item_.revision_;
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

// The root's events ("opened", "closed") need nothing of us.
void TDBusMenuObject::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (id == 0) return;
  if (!item_.FindEntry(id)) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry"));
    return;
  }
  if (eventId == QStringLiteral("clicked")) item_.Choose(id);
}

QList<int> TDBusMenuObject::EventGroup(const TDBusMenuEventList& events) {
  QList<int> unknown;
  for (const TDBusMenuEvent& event : events) {
    if (event.Id != 0 && !item_.FindEntry(event.Id)) {
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

// The host is about to show the menu: it gets it as it stands now, and needs to read it again
// when it last read an older one.
bool TDBusMenuObject::AboutToShow(int id) {
  item_.RefreshMenu();
  if (id != 0 && !item_.FindEntry(id)) sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no such entry"));
  return SeenBySender() != item_.revision_;
}

QList<int> TDBusMenuObject::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  item_.RefreshMenu();
  const bool changed = SeenBySender() != item_.revision_;
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
  watcherSignals_ = std::make_unique<TStatusNotifierWatcherSignals>([this](const QString& service) { Unregistered(service); });
  reannounce_.setSingleShot(true);
  QObject::connect(&reannounce_, &QTimer::timeout, &reannounce_, [this] { SendRegistration(); });
  RefreshMenu();
}

TStatusNotifierItem::~TStatusNotifierItem() {
  if (!registered_) return;
  bus_.disconnect(kWatcherService, kWatcherPath, kWatcherService, QStringLiteral("StatusNotifierItemUnregistered"),
                  watcherSignals_.get(), SLOT(ItemUnregistered(QString)));
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
  bus_.connect(kWatcherService, kWatcherPath, kWatcherService, QStringLiteral("StatusNotifierItemUnregistered"),
               watcherSignals_.get(), SLOT(ItemUnregistered(QString)));
  Announce();
  return true;
}

void TStatusNotifierItem::Announce() {
  reannounced_.clear();
  givenUp_ = false;
  reannounce_.stop();
  SendRegistration();
}

void TStatusNotifierItem::AnnounceIfDropped() {
  if (givenUp_) Announce();
}

void TStatusNotifierItem::SendRegistration() {
  bus_.asyncCall(QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                                QStringLiteral("RegisterStatusNotifierItem"))
                 << serviceName_);
}

// Watchers name an item by the service it registered with, or by its owner's unique name,
// either followed by the object's path.
void TStatusNotifierItem::Unregistered(const QString& service) {
  const QString name = service.section(u'/', 0, 0);
  if (!registered_ || (name != serviceName_ && name != bus_.baseService())) return;
  if (reannounce_.isActive() || givenUp_) return;
  const auto now = std::chrono::steady_clock::now();
  while (!reannounced_.empty() && now - reannounced_.front() >= kReannouncementWindow) reannounced_.pop_front();
  if (reannounced_.size() >= kReannouncementsPerMinute) {
    givenUp_ = true;
    return;
  }
  reannounce_.start(std::min(kReannounceDelayMs << reannounced_.size(), kLongestReannounceDelayMs));
  reannounced_.push_back(now);
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

void TStatusNotifierItem::UpdateMenu() { RefreshMenu(); }

bool TStatusNotifierItem::RefreshMenu() {
  std::vector<TMenuModelEntry> entries = handlers_.ReadMenu ? handlers_.ReadMenu() : std::vector<TMenuModelEntry>{};
  if (entries == entries_) return false;
  std::vector<TMenuModelEntry> before = std::exchange(entries_, std::move(entries));
  std::map<int, QVariantMap> propertiesBefore;
  for (const TMenuModelEntry& entry : before) propertiesBefore[entry.Id] = EntryProperties(entry.Entry, entry.Id);
  for (const TMenuModelEntry& entry : entries_) {
    if (entry.Entry.Checked) toggles_.insert(entry.Id);
  }
  ++revision_;
  if (!registered_) return true;
  if (!SameLayout(before, entries_)) {
    Q_EMIT menuObject_->LayoutUpdated(revision_, 0);
    return true;
  }
  TDBusMenuItemPropertiesList updated;
  TDBusMenuItemKeysList removed;
  for (const TMenuModelEntry& entry : entries_) {
    const QVariantMap now = EntryProperties(entry.Entry, entry.Id);
    const QVariantMap& was = propertiesBefore[entry.Id];
    QVariantMap changed;
    QStringList gone;
    for (auto property = now.begin(); property != now.end(); ++property) {
      if (was.value(property.key()) != property.value()) changed.insert(property.key(), property.value());
    }
    for (auto property = was.begin(); property != was.end(); ++property) {
      if (!now.contains(property.key())) gone.push_back(property.key());
    }
    if (!changed.isEmpty()) updated.push_back({entry.Id, changed});
    if (!gone.isEmpty()) removed.push_back({entry.Id, gone});
  }
  if (!updated.isEmpty() || !removed.isEmpty()) Q_EMIT menuObject_->ItemsPropertiesUpdated(updated, removed);
  return true;
}

// Hosts update only the properties they are given: each entry's are all given every time.
QVariantMap TStatusNotifierItem::EntryProperties(const TPopupEntry& entry, int id) const {
  if (IsSeparator(entry)) return {{QStringLiteral("type"), QStringLiteral("separator")}};
  QVariantMap properties{{QStringLiteral("label"), MenuLabel(entry.Caption)},
                         {QStringLiteral("enabled"), entry.Enabled}};
  if (entry.Picture) properties.insert(QStringLiteral("icon-data"), Png(*entry.Picture));
  if (toggles_.count(id)) {
    properties.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
    properties.insert(QStringLiteral("toggle-state"), entry.Checked ? 1 : 0);
  }
  // The menu format has no bold entry; hosts that know this mark may show it.
  if (entry.Default) properties.insert(QStringLiteral("x-default"), true);
  return properties;
}

const TMenuModelEntry* TStatusNotifierItem::FindEntry(int id) const {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [id](const TMenuModelEntry& entry) { return entry.Id == id; });
  return found == entries_.end() ? nullptr : &*found;
}

TDBusMenuLayout TStatusNotifierItem::EntryLayout(const TMenuModelEntry& entry, const QStringList& propertyNames) const {
  return TDBusMenuLayout{entry.Id, Filtered(EntryProperties(entry.Entry, entry.Id), propertyNames), {}};
}

void TStatusNotifierItem::Choose(int id) {
  const TMenuModelEntry* entry = FindEntry(id);
  if (!entry || IsSeparator(entry->Entry) || !handlers_.Choose) return;
  handlers_.Choose(id, std::exchange(activationToken_, QString()));
}

void TStatusNotifierItem::Act(TAction action, int x, int y) {
  if (handlers_.Act) handlers_.Act(action, QPoint(x, y), std::exchange(activationToken_, QString()));
}

}  // namespace zerka::qt
