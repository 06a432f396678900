// What the Linux build does for the desktop it finds: pictures drawn crisply at the sizes
// trays and scaled screens ask for, and a window that shows itself when no tray turns up.
// The status-notifier host and notifications are checked end to end by desktop_bus_test.py.
#include <gtest/gtest.h>

#include <QLabel>

#include "framework/Application.h"
#include "monitor/Unit1.h"
#include "platform/qt/QtActivationToken.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtIcons.h"
#include "platform/qt/QtNotifyArea.h"
#include "QtTestSupport.h"

namespace zerka::qt {
namespace {

TEST(QtIcons, PicturesGrowByWholePixelsAndStayCentred) {
  TIconImage picture;
  picture.Colors.fill(0x0000FF);
  picture.Colors[0] = 0xFF0000;  // top left
  picture.Transparent[TIconImage::kPixels - 1] = true;  // bottom right

  const QImage doubled = ToImage(picture, 32);
  for (const QPoint at : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
    EXPECT_EQ(doubled.pixel(at), 0xFFFF0000u) << at.x() << "," << at.y();
  }
  EXPECT_EQ(doubled.pixel(2, 2), 0xFF0000FFu);
  EXPECT_EQ(qAlpha(doubled.pixel(30, 31)), 0);
  EXPECT_EQ(qAlpha(doubled.pixel(29, 29)), 255);

  // 22 pixels hold the picture once, with a transparent border of 3.
  const QImage padded = ToImage(picture, 22);
  EXPECT_EQ(qAlpha(padded.pixel(2, 10)), 0);
  EXPECT_EQ(padded.pixel(3, 3), 0xFFFF0000u);
  EXPECT_EQ(padded.pixel(4, 3), 0xFF0000FFu);

  const QImage tripled = ToImage(picture, 48);
  EXPECT_EQ(tripled.pixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(tripled.pixel(3, 3), 0xFF0000FFu);
}

TEST(QtNotifyArea, WithoutAnyTrayTheWindowShowsWithANotice) {
  TTempFolder folder;
  auto platform = InstallForTest(folder.Path());
  platform->NotifyArea().CheckTrayHost();
  if (platform->NotifyArea().Host() != TQtNotifyArea::THost::None) GTEST_SKIP() << "this desktop has a tray";
  TApplication application;
  application.ShowMainForm = false;
  auto* form = new TZerka2Remote2Config(&application);
  platform->NoticeMissingTray(10, "Kein Infobereich gefunden");

  ASSERT_TRUE(RunUntil([&] { return form->Visible(); }));
  const auto* bar = qobject_cast<QLabel*>(platform->Desktop().WidgetOf(form->StatusBar1->Handle()));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->text(), QStringLiteral("Kein Infobereich gefunden"));
}

TEST(QtNotifyArea, WithoutAnyTrayAHiddenWindowStaysOnScreenWithTheNotice) {
  TTempFolder folder;
  auto platform = InstallForTest(folder.Path());
  platform->NotifyArea().CheckTrayHost();
  if (platform->NotifyArea().Host() != TQtNotifyArea::THost::None) GTEST_SKIP() << "this desktop has a tray";
  TApplication application;
  application.ShowMainForm = false;
  auto* form = new TZerka2Remote2Config(&application);
  platform->NoticeMissingTray(10, "Kein Infobereich gefunden");
  ASSERT_TRUE(RunUntil([&] { return form->Visible(); }));
  form->StatusBar1->SetSimpleText("Proxy-Anfrage abgeschlossen");

  form->BitBtn2Click(form);
  const QWidget* window = platform->Desktop().WidgetOf(form->Handle());
  EXPECT_TRUE(window->isVisible()) << "minimised as an ordinary window, not hidden into the missing tray";
  EXPECT_EQ(qobject_cast<QLabel*>(platform->Desktop().WidgetOf(form->StatusBar1->Handle()))->text(),
            QStringLiteral("Kein Infobereich gefunden"));
}

TEST(QtActivationToken, ATokenServesTheActionItCameWithOnly) {
  TTempFolder folder;
  auto platform = InstallForTest(folder.Path());
  OfferActivationToken(QStringLiteral("erster"));
  EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "erster");
  OfferActivationToken(QString());
  EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN")) << "an action without one has none";
  OfferActivationToken(QStringLiteral("zweiter"));
  DropActivationToken();
  EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN")) << "a launch took it along";
  OfferActivationToken(QStringLiteral("dritter"));
  EXPECT_TRUE(RunUntil([] { return !qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"); }, 5000))
      << "one that nothing asked for is gone after a moment";
}

}  // namespace
}  // namespace zerka::qt
