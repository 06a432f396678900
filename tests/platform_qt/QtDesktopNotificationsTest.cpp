// Balloons as desktop notifications against notification servers the test plays on a private
// bus: the id and the capabilities belong to the server that gave them, and nothing waits for
// a server. Skipped without dbus-daemon.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>

#include <memory>
#include <optional>

#include "platform/qt/QtDesktopNotifications.h"
#include "PrivateBus.h"
#include "QtTestSupport.h"

namespace zerka::qt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

using TOutcome = TDesktopNotifications::TOutcome;

// A notification server: numbers from `next`, capabilities as set (an error while empty),
// Notify answered at once unless held.
struct TServer {
  TServer(TPrivateBus& bus, const QString& name, uint first) : Bus(bus.Connect(name)), Next(first) {
    Object.Answer = [this](const QDBusMessage& call, QDBusConnection connection) {
      if (call.member() == QStringLiteral("GetCapabilities")) {
        connection.send(Capabilities ? call.createReply(QVariant(*Capabilities))
                                     : call.createErrorReply(QStringLiteral("org.example.Busy"), QStringLiteral("busy")));
      } else if (call.member() == QStringLiteral("Notify")) {
        if (Hold) {
          Held << call;
        } else {
          connection.send(call.createReply(Id(call)));
        }
      } else {
        connection.send(call.createReply());
      }
    };
    Bus.registerVirtualObject(kPath, &Object);
  }
  ~TServer() { Bus.unregisterObject(kPath); }
  bool Take() { return Bus.registerService(kService); }
  void Leave() { Bus.unregisterService(kService); }
  uint Id(const QDBusMessage& notify) {
    const uint replaces = notify.arguments().value(1).toUInt();
    return replaces != 0 ? replaces : Next++;
  }
  void Release() {
    for (const QDBusMessage& call : std::exchange(Held, {})) Bus.send(call.createReply(Id(call)));
  }
  void Emit(const QString& member, const QVariantList& arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, member);
    signal.setArguments(arguments);
    Bus.send(signal);
  }
  QList<QDBusMessage> Calls(const QString& member) const { return Object.CallsOf(member); }

  QDBusConnection Bus;
  TPlayedObject Object;
  uint Next;
  std::optional<QStringList> Capabilities;
  bool Hold = false;
  QList<QDBusMessage> Held;
};

class QtDesktopNotificationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus.Running()) GTEST_SKIP() << "no private bus: dbus-daemon is missing";
    first = std::make_unique<TServer>(bus, QStringLiteral("first"), 1);
    ASSERT_TRUE(first->Take());
  }
  void Start() {
    notifications = std::make_unique<TDesktopNotifications>(bus.Connect(QStringLiteral("program")),
                                                            QStringLiteral("Zerka2 Remote"),
                                                            [this](TOutcome outcome) { outcomes.push_back(outcome); });
  }
  // The n-th Notify the server received, once it came.
  QDBusMessage Notified(const TServer& server, qsizetype n) {
    EXPECT_TRUE(RunUntil([&] { return server.Calls(QStringLiteral("Notify")).size() > n; }, 2000)) << "Notify " << n;
    return server.Calls(QStringLiteral("Notify")).value(n);
  }

  TPrivateBus bus;
  TTempFolder folder;
  std::unique_ptr<TQtPlatformInstallation> platform = InstallForTest(folder.Path());
  std::unique_ptr<TServer> first;
  std::vector<TOutcome> outcomes;
  std::unique_ptr<TDesktopNotifications> notifications;
};

TEST_F(QtDesktopNotificationsTest, TheBodyIsEscapedUntilTheServerSaysItReadsNoMarkup) {
  Start();  // asks the running server at once, which fails
  notifications->Show(QStringLiteral("T"), QStringLiteral("a<b"), 0, 1000);
  EXPECT_EQ(Notified(*first, 0).arguments().value(4).toString(), QStringLiteral("a&lt;b"));
  ASSERT_TRUE(RunUntil([&] { return outcomes.size() == 1; }, 2000));
  first->Capabilities = QStringList{QStringLiteral("body")};
  notifications->Show(QStringLiteral("T"), QStringLiteral("a<b"), 0, 1000);
  EXPECT_EQ(Notified(*first, 1).arguments().value(4).toString(), QStringLiteral("a&lt;b")) << "no answer yet";
  EXPECT_EQ(first->Calls(QStringLiteral("GetCapabilities")).size(), 2) << "a failed answer is not kept";
  ASSERT_TRUE(RunUntil([&] { return outcomes.size() == 2; }, 2000));
  notifications->Show(QStringLiteral("T"), QStringLiteral("a<b"), 0, 1000);
  EXPECT_EQ(Notified(*first, 2).arguments().value(4).toString(), QStringLiteral("a<b"));
}

TEST_F(QtDesktopNotificationsTest, ANewServerKnowsNothingOfTheBalloonsOfTheOldOne) {
  first->Capabilities = QStringList{QStringLiteral("body")};
  Start();
  notifications->Show(QStringLiteral("T"), QStringLiteral("eins"), 0, 1000);
  Notified(*first, 0);
  ASSERT_TRUE(RunUntil([&] { return outcomes == std::vector<TOutcome>{TOutcome::Shown}; }, 2000));

  TServer second(bus, QStringLiteral("second"), 1);
  second.Capabilities = first->Capabilities;
  first->Leave();
  ASSERT_TRUE(second.Take());
  // It is asked what it reads once it holds the name.
  ASSERT_TRUE(RunUntil([&] { return !second.Calls(QStringLiteral("GetCapabilities")).isEmpty(); }, 2000));
  second.Emit(QStringLiteral("ActionInvoked"), {1u, QStringLiteral("default")});
  second.Emit(QStringLiteral("NotificationClosed"), {1u, 2u});
  notifications->Withdraw();
  notifications->Show(QStringLiteral("T"), QStringLiteral("zwei"), 0, 1000);
  EXPECT_EQ(Notified(second, 0).arguments().value(1).toUInt(), 0u) << "no number of the old server replaced";
  ASSERT_TRUE(RunUntil([&] { return outcomes.size() == 2; }, 2000));
  EXPECT_EQ(outcomes, (std::vector<TOutcome>{TOutcome::Shown, TOutcome::Shown}))
      << "the new server's number 1 was someone else's";

  notifications.reset();
  EXPECT_TRUE(RunUntil([&] { return !second.Calls(QStringLiteral("CloseNotification")).isEmpty(); }, 2000))
      << "its own balloon closes on exit";
  EXPECT_TRUE(first->Calls(QStringLiteral("CloseNotification")).isEmpty()) << "the old server is not asked";
}

TEST_F(QtDesktopNotificationsTest, AWithdrawnBalloonOnItsWayIsClosedOnceTheServerAnswered) {
  first->Capabilities = QStringList{QStringLiteral("body")};
  first->Hold = true;
  Start();
  notifications->Show(QStringLiteral("T"), QStringLiteral("eins"), 0, 1000);
  notifications->Withdraw();
  ASSERT_TRUE(RunUntil([&] { return !first->Held.isEmpty(); }, 2000));
  EXPECT_TRUE(first->Calls(QStringLiteral("CloseNotification")).isEmpty());
  first->Release();
  ASSERT_TRUE(RunUntil([&] { return !first->Calls(QStringLiteral("CloseNotification")).isEmpty(); }, 2000));
  EXPECT_EQ(first->Calls(QStringLiteral("CloseNotification")).front().arguments().value(0).toUInt(), 1u);
}

}  // namespace
}  // namespace zerka::qt
