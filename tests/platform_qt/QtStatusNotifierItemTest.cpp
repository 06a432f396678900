// The status-notifier item and its D-Bus menu as a host sees them, on a private bus of the
// test's own: every method of the menu interface answers, the menu is read as it stands and
// its changes are announced, choices and clicks reach the handlers with the host's activation
// token, and a watcher that drops the item gets it back, within a bound. Skipped without
// dbus-daemon.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <string>

#include "platform/qt/QtStatusNotifierItem.h"
#include "PrivateBus.h"
#include "QtTestSupport.h"

namespace zerka::qt {
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// What a host hears from the menu.
class TSignalLog : public QObject {
  Q_OBJECT

 public:
  QList<QDBusMessage> Received;
  QList<QDBusMessage> Named(const QString& member) const {
    QList<QDBusMessage> found;
    for (const QDBusMessage& message : Received) {
      if (message.member() == member) found << message;
    }
    return found;
  }

 public Q_SLOTS:
  void Receive(const QDBusMessage& message) { Received << message; }
};

QStringList skippedByQtDBus;

void RecordSkips(QtMsgType, const QMessageLogContext&, const QString& message) {
  if (message.contains(QStringLiteral("Skipped"))) skippedByQtDBus << message;
}

class QtStatusNotifierItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus.Running()) GTEST_SKIP() << "no private bus: dbus-daemon is missing";
    previousHandler = qInstallMessageHandler(RecordSkips);
    TStatusNotifierItem::THandlers handlers;
    handlers.ReadMenu = [this] { return entries; };
    handlers.Choose = [this](std::int32_t id, const QString& token) { chosen << QStringLiteral("%1 %2").arg(id).arg(token); };
    handlers.Act = [this](TStatusNotifierItem::TAction action, QPoint at, const QString& token) {
      acted << QStringLiteral("%1 %2,%3 %4").arg(static_cast<int>(action)).arg(at.x()).arg(at.y()).arg(token);
    };
    entries = {{7, {"Einstellungen", nullptr, false, false, false}}, {9, {"-", nullptr}}, {12, {"&Ende", nullptr}}};
    item = std::make_unique<TStatusNotifierItem>(bus.Connect(QStringLiteral("item")), QStringLiteral("Zerka2 Remote"),
                                                 std::move(handlers));
    ASSERT_TRUE(item->Register());
  }
  void TearDown() override {
    item.reset();
    if (bus.Running()) qInstallMessageHandler(previousHandler);
  }

  // A host's call, answered while the loop runs (the item answers on this thread too).
  QDBusMessage Call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments,
                    const QString& host = QStringLiteral("host")) {
    QDBusMessage message = QDBusMessage::createMethodCall(item->ServiceName(), path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCallWatcher pending(bus.Connect(host).asyncCall(message));
    RunUntil([&] { return pending.isFinished(); });
    return pending.reply();
  }
  QDBusMessage Menu(const QString& method, const QVariantList& arguments, const QString& host = QStringLiteral("host")) {
    return Call(QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"), method, arguments, host);
  }
  QVariant Property(int id, const QString& name) {
    return Menu(QStringLiteral("GetProperty"), {id, name}).arguments().value(0).value<QDBusVariant>().variant();
  }
  QList<int> LayoutIds(const QString& host = QStringLiteral("host")) {
    const QDBusMessage reply = Menu(QStringLiteral("GetLayout"), {0, -1, QStringList()}, host);
    TDBusMenuLayout layout;
    if (reply.arguments().size() == 2) reply.arguments()[1].value<QDBusArgument>() >> layout;
    QList<int> ids;
    for (const QVariant& child : layout.Children) {
      TDBusMenuLayout entry;
      child.value<QDBusArgument>() >> entry;
      ids << entry.Id;
    }
    return ids;
  }

  TPrivateBus bus;
  TTempFolder folder;
  std::unique_ptr<TQtPlatformInstallation> platform = InstallForTest(folder.Path());
  QtMessageHandler previousHandler = nullptr;
  std::vector<TMenuModelEntry> entries;
  QStringList chosen;
  QStringList acted;
  std::unique_ptr<TStatusNotifierItem> item;
};

TEST_F(QtStatusNotifierItemTest, QtDBusExportsEveryMethod) {
  EXPECT_TRUE(skippedByQtDBus.isEmpty()) << skippedByQtDBus.join('\n').toStdString();
  const QString description =
      Call(QStringLiteral("/MenuBar"), QStringLiteral("org.freedesktop.DBus.Introspectable"),
           QStringLiteral("Introspect"), {})
          .arguments()
          .value(0)
          .toString();
  for (const char* method : {"GetLayout", "GetGroupProperties", "GetProperty", "Event", "EventGroup", "AboutToShow",
                             "AboutToShowGroup"}) {
    EXPECT_TRUE(description.contains(QStringLiteral("<method name=\"%1\">").arg(QString::fromLatin1(method))))
        << method;
  }
  EXPECT_TRUE(description.contains(QStringLiteral("type=\"a(isvu)\" direction=\"in\"")));
}

TEST_F(QtStatusNotifierItemTest, TheMenuIsReadAsItStandsWhenTheHostAsks) {
  EXPECT_EQ(LayoutIds(), (QList<int>{7, 9, 12}));
  EXPECT_FALSE(Menu(QStringLiteral("AboutToShow"), {0}).arguments().value(0).toBool());

  entries[0].Entry.Enabled = true;
  entries.erase(entries.begin() + 1);
  EXPECT_TRUE(Menu(QStringLiteral("AboutToShow"), {0}).arguments().value(0).toBool());
  EXPECT_EQ(LayoutIds(), (QList<int>{7, 12}));
  EXPECT_EQ(Property(12, QStringLiteral("label")).toString(), QStringLiteral("_Ende")) << "the access key as the host's";
  EXPECT_EQ(Menu(QStringLiteral("GetProperty"), {9, QStringLiteral("label")}).type(), QDBusMessage::ErrorMessage);
}

TEST_F(QtStatusNotifierItemTest, WhetherTheMenuChangedIsAnsweredForEachHost) {
  LayoutIds(QStringLiteral("host"));
  entries[0].Entry.Enabled = true;
  LayoutIds(QStringLiteral("host2"));
  EXPECT_FALSE(Menu(QStringLiteral("AboutToShow"), {0}, QStringLiteral("host2")).arguments().value(0).toBool());
  EXPECT_TRUE(Menu(QStringLiteral("AboutToShow"), {0}, QStringLiteral("host")).arguments().value(0).toBool())
      << "the first host still has the old menu";
}

TEST_F(QtStatusNotifierItemTest, ChangesAreAnnouncedWithEveryPropertyAnEntryHas) {
  TSignalLog log;
  QDBusConnection host = bus.Connect(QStringLiteral("host"));
  for (const char* name : {"LayoutUpdated", "ItemsPropertiesUpdated"}) {
    host.connect(item->ServiceName(), QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
                 QString::fromLatin1(name), &log, SLOT(Receive(QDBusMessage)));
  }
  EXPECT_EQ(Property(12, QStringLiteral("enabled")), QVariant(true)) << "enabled is sent when true too";
  const auto properties = [&] {
    EXPECT_TRUE(RunUntil([&] { return !log.Named(QStringLiteral("ItemsPropertiesUpdated")).isEmpty(); }, 2000));
    const QList<QDBusMessage> updates = log.Named(QStringLiteral("ItemsPropertiesUpdated"));
    log.Received.clear();
    return updates.isEmpty() ? TDBusMenuItemPropertiesList{}
                             : qdbus_cast<TDBusMenuItemPropertiesList>(updates.front().arguments().value(0));
  };

  entries[0].Entry.Enabled = true;
  entries[2].Entry.Checked = true;
  item->UpdateMenu();
  TDBusMenuItemPropertiesList updated = properties();
  ASSERT_EQ(updated.size(), 2);
  EXPECT_EQ(updated[0].Id, 7);
  EXPECT_EQ(updated[0].Properties, (QVariantMap{{QStringLiteral("enabled"), true}}));
  EXPECT_EQ(updated[1].Properties.value(QStringLiteral("toggle-state")), QVariant(1));

  entries[2].Entry.Checked = false;
  item->UpdateMenu();
  updated = properties();
  ASSERT_EQ(updated.size(), 1);
  EXPECT_EQ(updated[0].Properties.value(QStringLiteral("toggle-state")), QVariant(0)) << "unchecking shows";

  entries.erase(entries.begin() + 1);
  item->UpdateMenu();
  EXPECT_TRUE(RunUntil([&] { return !log.Named(QStringLiteral("LayoutUpdated")).isEmpty(); }, 2000));
}

TEST_F(QtStatusNotifierItemTest, ChoicesAndClicksReachTheHandlersWithTheHostsToken) {
  const QString item = QStringLiteral("org.kde.StatusNotifierItem");
  Call(QStringLiteral("/StatusNotifierItem"), item, QStringLiteral("ProvideXdgActivationToken"), {QStringLiteral("t1")});
  const TDBusMenuEventList events{{12, QStringLiteral("clicked"), QDBusVariant(QString()), 0},
                                  {99, QStringLiteral("clicked"), QDBusVariant(QString()), 0}};
  const QDBusMessage unknown = Menu(QStringLiteral("EventGroup"), {QVariant::fromValue(events)});
  EXPECT_EQ(qdbus_cast<QList<int>>(unknown.arguments().value(0)), QList<int>{99});
  Menu(QStringLiteral("Event"), {9, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
  Menu(QStringLiteral("Event"), {7, QStringLiteral("hovered"), QVariant::fromValue(QDBusVariant(0)), 0u});
  EXPECT_EQ(chosen, QStringList{QStringLiteral("12 t1")}) << "a line or a hover chooses nothing";
  EXPECT_EQ(Menu(QStringLiteral("Event"), {0, QStringLiteral("opened"), QVariant::fromValue(QDBusVariant(0)), 0u}).type(),
            QDBusMessage::ReplyMessage);
  const TDBusMenuEventList closed{{0, QStringLiteral("closed"), QDBusVariant(QString()), 0}};
  const QDBusMessage root = Menu(QStringLiteral("EventGroup"), {QVariant::fromValue(closed)});
  EXPECT_EQ(root.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(qdbus_cast<QList<int>>(root.arguments().value(0)), QList<int>{}) << "the root's events are taken";

  Call(QStringLiteral("/StatusNotifierItem"), item, QStringLiteral("ContextMenu"), {200, 300});
  EXPECT_EQ(acted, QStringList{QStringLiteral("2 200,300 ")}) << "a token serves one action";
}

TEST_F(QtStatusNotifierItemTest, AWatcherThatDropsTheItemGetsItBackFiveTimesAMinute) {
  QDBusConnection watcherBus = bus.Connect(QStringLiteral("watcher"));
  TPlayedObject watcher;
  ASSERT_TRUE(watcherBus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher));
  ASSERT_TRUE(watcherBus.registerService(kWatcher));
  const auto registrations = [&] { return watcher.CallsOf(QStringLiteral("RegisterStatusNotifierItem")).size(); };
  const auto drop = [&](const QString& service) {
    QDBusMessage dropped = QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                                      QStringLiteral("StatusNotifierItemUnregistered"));
    dropped << service;
    watcherBus.send(dropped);
  };
  // Watchers name the item by its service or by its unique name and path.
  const QString unique = bus.Connect(QStringLiteral("item")).baseService() + QStringLiteral("/StatusNotifierItem");
  const QStringList names{item->ServiceName(), unique, item->ServiceName(), unique, item->ServiceName()};

  drop(QStringLiteral("org.kde.StatusNotifierItem-1-1"));
  for (qsizetype i = 0; i < names.size(); ++i) {
    drop(names[i]);
    EXPECT_TRUE(RunUntil([&] { return registrations() == i + 1; }, 2000)) << "drop " << i + 1;
  }
  EXPECT_EQ(registrations(), 5) << "another item's drop is not ours";
  drop(item->ServiceName());
  EXPECT_FALSE(RunUntil([&] { return registrations() > 5; }, 1000)) << "a sixth drop within the minute stays";

  item->AnnounceIfDropped();
  EXPECT_EQ(RunUntil([&] { return registrations() == 6; }, 2000), true) << "a change brings it back";
  drop(item->ServiceName());
  EXPECT_TRUE(RunUntil([&] { return registrations() == 7; }, 2000)) << "and the bound starts afresh";
  watcherBus.unregisterService(kWatcher);
  watcherBus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
}

}  // namespace
}  // namespace zerka::qt

#include "QtStatusNotifierItemTest.moc"

