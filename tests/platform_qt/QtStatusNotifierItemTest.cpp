// The status-notifier item and its D-Bus menu as a host sees them, on a private bus of the
// test's own: every method of the menu interface answers, the menu is read as it stands, and
// choices and clicks reach the handlers with the host's activation token. Skipped without
// dbus-daemon.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <cstdio>
#include <string>

#include "platform/qt/QtStatusNotifierItem.h"
#include "QtTestSupport.h"

namespace zerka::qt {
namespace {

// A bus daemon of the test's own, ended with the test.
class TPrivateBus {
 public:
  TPrivateBus() {
    FILE* started = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!started) return;
    char line[512] = {};
    if (fgets(line, sizeof line, started)) address_ = QString::fromLocal8Bit(line).trimmed();
    if (fgets(line, sizeof line, started)) pid_ = std::atoi(line);
    pclose(started);
  }
  ~TPrivateBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("item"));
    QDBusConnection::disconnectFromBus(QStringLiteral("host"));
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  bool Running() const { return pid_ > 0 && !address_.isEmpty(); }
  QDBusConnection Connect(const QString& name) const { return QDBusConnection::connectToBus(address_, name); }

 private:
  QString address_;
  int pid_ = 0;
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
  QDBusMessage Call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(item->ServiceName(), path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCallWatcher pending(bus.Connect(QStringLiteral("host")).asyncCall(message));
    RunUntil([&] { return pending.isFinished(); });
    return pending.reply();
  }
  QDBusMessage Menu(const QString& method, const QVariantList& arguments) {
    return Call(QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"), method, arguments);
  }
  QList<int> LayoutIds() {
    const QDBusMessage reply = Menu(QStringLiteral("GetLayout"), {0, -1, QStringList()});
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
  const QDBusMessage label = Menu(QStringLiteral("GetProperty"), {12, QStringLiteral("label")});
  EXPECT_EQ(label.arguments().value(0).value<QDBusVariant>().variant().toString(), QStringLiteral("Ende"));
  EXPECT_EQ(Menu(QStringLiteral("GetProperty"), {9, QStringLiteral("label")}).type(), QDBusMessage::ErrorMessage);
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

  Call(QStringLiteral("/StatusNotifierItem"), item, QStringLiteral("ContextMenu"), {200, 300});
  EXPECT_EQ(acted, QStringList{QStringLiteral("2 200,300 ")}) << "a token serves one action";
}

}  // namespace
}  // namespace zerka::qt
