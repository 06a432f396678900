// The yardstick for the program's idle costs: the least a Qt 6 tray program does.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  QPixmap picture(16, 16);
  picture.fill(Qt::darkGreen);
  QSystemTrayIcon tray{QIcon(picture)};
  tray.setToolTip(QStringLiteral("bare tray"));
  tray.show();
  return app.exec();
}
