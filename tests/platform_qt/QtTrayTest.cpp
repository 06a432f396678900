// The program in this process on a display with a tray host (run through with-display.sh,
// which starts the display; the tests start and stop the tray host themselves). Without
// them each test is skipped with a message saying so.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "framework/Application.h"
#include "monitor/Unit1.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtNotifyArea.h"
#include "platform/qt/SettingsFile.h"
#include "sim/SimServer.h"
#include "QtTestSupport.h"

extern char** environ;

namespace zerka::qt {
namespace {

namespace fs = std::filesystem;

// A tray host of our own, so that a test can take it away and bring it back.
class TTrayHost {
 public:
  bool Start() {
    char* argv[] = {const_cast<char*>("trayer"), const_cast<char*>("--edge"), const_cast<char*>("top"),
                    const_cast<char*>("--align"), const_cast<char*>("right"), const_cast<char*>("--widthtype"),
                    const_cast<char*>("pixel"), const_cast<char*>("--width"), const_cast<char*>("120"),
                    const_cast<char*>("--heighttype"), const_cast<char*>("pixel"), const_cast<char*>("--height"),
                    const_cast<char*>("24"), const_cast<char*>("--transparent"), const_cast<char*>("false"), nullptr};
    if (posix_spawnp(&pid_, "trayer", nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    return pid_ != 0 && RunUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000);
  }
  void Stop() {
    if (pid_ == 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  ~TTrayHost() { Stop(); }

 private:
  pid_t pid_ = 0;
};

class QtTrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZERKA_QT_DISPLAY")) GTEST_SKIP() << "no display with a tray: run through with-display.sh";
    platform = InstallForTest(folder.Path());
    // The host of the test before may take a moment to go.
    if (!RunUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 3000)) {
      GTEST_SKIP() << "another tray host is running on this display";
    }
    if (!tray.Start()) GTEST_SKIP() << "no tray host: trayer could not be started";
    sim::ServerOptions options;
    options.timing.dialDuration = std::chrono::milliseconds(300);
    server = std::make_unique<sim::SimServer>(options);
    fs::create_directories(folder.Path() / "Velmarin");
    std::ofstream(SettingsFile()) << "Proxy Port=" << server->RemotePort()
                                  << "\nAbfrageinterval=200\nAktiviert=1\nBallooninfo=1\n";
  }
  void TearDown() override {
    application.reset();
    tray.Stop();
  }

  void Start() {
    application = std::make_unique<TApplication>();
    application->SetTitle(ProgramTitle());
    application->ShowMainForm = false;
    form = new TZerka2Remote2Config(application.get());
  }
  void Stop() {
    application.reset();
    form = nullptr;
  }
  QSystemTrayIcon* Icon() {
    return platform->NotifyArea().TrayIcon(form->SysTrayIcon1->NotifyData().hWnd, form->SysTrayIcon1->Identity());
  }
  bool IconDocked() {
    QSystemTrayIcon* icon = Icon();
    return icon && icon->isVisible() && !icon->geometry().isEmpty();
  }
  QString Tip() { return Icon() ? Icon()->toolTip() : QString(); }
  fs::path SettingsFile() const { return folder.Path() / "Velmarin" / "Zerka 2 Remote 2.ini"; }

  TTempFolder folder;
  std::unique_ptr<TQtPlatformInstallation> platform;
  TTrayHost tray;
  std::unique_ptr<sim::SimServer> server;
  std::unique_ptr<TApplication> application;
  TZerka2Remote2Config* form = nullptr;
};

bool BalloonOnScreen() {
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->inherits("QBalloonTip") && widget->isVisible()) return true;
  }
  return false;
}

TEST_F(QtTrayTest, TheIconFollowsTheServerAndOpensItsMenuOnARightClick) {
  int balloons = 0;
  Start();
  form->SysTrayIcon1->OnBalloonHintShow = [&](TComponent*) { ++balloons; };
  ASSERT_TRUE(RunUntil([&] { return IconDocked(); })) << "the icon never appeared in the tray";
  ASSERT_TRUE(RunUntil([&] { return Tip().startsWith("Status: Nicht verbunden"); })) << Tip().toStdString();

  server->WithLine([](sim::LineModel& line) { line.FetchMail(); });
  ASSERT_TRUE(RunUntil([&] { return Tip().startsWith("Status: Verbunden"); })) << Tip().toStdString();
  EXPECT_TRUE(Tip().contains("\nIP: ")) << "one line each";
  EXPECT_GE(balloons, 1);
  EXPECT_TRUE(BalloonOnScreen());

  // A real right click on the docked icon; the menu runs its own loop, so look from a timer.
  QStringList captions;
  QTimer watch;
  watch.setInterval(50);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (const QAction* action : menu->actions()) captions << action->text();
      menu->close();
    }
  });
  watch.start();
  const QPoint centre = Icon()->geometry().center();
  const std::string click = "xdotool mousemove " + std::to_string(centre.x()) + " " + std::to_string(centre.y()) +
                            " click 3";
  ASSERT_EQ(std::system(click.c_str()), 0) << "xdotool is needed to click the icon";
  ASSERT_TRUE(RunUntil([&] { return !captions.isEmpty(); })) << "no menu opened";
  EXPECT_EQ(captions.value(0), QStringLiteral("Zerka2 Remote - Einstellungen..."));
  EXPECT_EQ(captions.value(10), QString::fromUtf8("DFÜ sperren / entsperren"));
  EXPECT_EQ(captions.size(), 13);
}

TEST_F(QtTrayTest, ApplyWritesTheSettingsAndARestartReadsThemBack) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return IconDocked() && Tip().startsWith("Status: "); }));
  form->Einstellungen1Click(form);
  QWidget* interval = platform->Desktop().WidgetOf(form->Abfrageinterval->Handle());
  interval->findChild<QLineEdit*>()->setText("700");
  qobject_cast<QAbstractButton*>(platform->Desktop().WidgetOf(form->BalloonInfo->Handle()))->setChecked(false);
  QTest::mouseClick(qobject_cast<QPushButton*>(platform->Desktop().WidgetOf(form->BitBtn5->Handle())),
                    Qt::LeftButton);
  std::ifstream in(SettingsFile());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const TSettingsValues values = ParseSettingsFile(text, "Zerka 2 Remote 2");
  ASSERT_NE(FindSettingsValue(values, "Abfrageinterval"), nullptr) << text;
  EXPECT_EQ(*FindSettingsValue(values, "Abfrageinterval"), "700");
  EXPECT_EQ(*FindSettingsValue(values, "Ballooninfo"), "0");
  EXPECT_EQ(*FindSettingsValue(values, "Proxy Port"), std::to_string(server->RemotePort()));

  Stop();
  Start();
  EXPECT_EQ(form->Timer1->Interval(), 700u);
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_FALSE(form->FBalloonInfo);
  EXPECT_TRUE(RunUntil([&] { return IconDocked() && Tip().startsWith("Status: "); }));
}

TEST_F(QtTrayTest, TheIconComesBackWithTheTrayHost) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return IconDocked() && Tip().startsWith("Status: "); }));
  form->Timer1->SetEnabled(false);
  const QString tip = Tip();
  tray.Stop();
  ASSERT_TRUE(RunUntil([&] { return Icon() == nullptr; })) << "the vanished host's icons are forgotten";
  ASSERT_TRUE(tray.Start());
  ASSERT_TRUE(RunUntil([&] { return IconDocked(); })) << "the icon was not put back";
  EXPECT_EQ(Tip(), tip);
}

}  // namespace
}  // namespace zerka::qt
