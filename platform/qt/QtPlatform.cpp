#include "platform/qt/QtPlatform.h"

#include <QApplication>

#include "platform/qt/FileSettingsStore.h"
#include "platform/qt/QtActivationToken.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtLocale.h"
#include "platform/qt/QtNotifyArea.h"
#include "platform/qt/QtServices.h"

namespace zerka::qt {
namespace {

void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  // QApplication keeps referring to its arguments.
  static int argc = 1;
  static char name[] = "zerka2remote";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  // The program lives in the tray: closing its last window is no reason to end.
  application->setQuitOnLastWindowClosed(false);
  // The installed menu entry: desktops group the program's windows and notifications under
  // it, and Wayland names the windows' application after it.
  QGuiApplication::setDesktopFileName(QStringLiteral("zerka2remote"));
  // The launcher's token is for a window the start shows; a program started into the tray
  // must not hand it to its first launch much later.
  OfferActivationToken(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"));
}

}  // namespace

class TQtPlatformInstallation::TPlatform : public IPlatform {
 public:
  explicit TPlatform(const std::filesystem::path& softwareFolder) : store(softwareFolder) {}

  IEventLoopPort& EventLoop() override { return desktop; }
  ITimerPort& Timers() override { return desktop; }
  INotifyAreaPort& NotifyArea() override { return notifyArea; }
  IDialogPort& Dialogs() override { return dialogs; }
  IInputPort& Input() override { return services; }
  IShellPort& Shell() override { return services; }
  ILocalePort& Locale() override { return locale; }
  ISettingsPort& Settings() override { return store; }
  IWindowPort& Windows() override { return desktop; }

  TQtDesktop desktop;
  TQtServices services;
  TQtNotifyArea notifyArea{desktop, services};
  TQtDialogs dialogs{desktop};
  TQtLocale locale;
  TFileSettingsStore store;
};

TQtPlatformInstallation::TQtPlatformInstallation(const std::filesystem::path& softwareFolder) {
  EnsureApplication();
  platform_ = std::make_unique<TPlatform>(softwareFolder);
  previous_ = SetPlatform(platform_.get());
}

TQtPlatformInstallation::~TQtPlatformInstallation() { SetPlatform(previous_); }

IPlatform& TQtPlatformInstallation::Platform() { return *platform_; }
TQtDesktop& TQtPlatformInstallation::Desktop() { return platform_->desktop; }
TQtNotifyArea& TQtPlatformInstallation::NotifyArea() { return platform_->notifyArea; }
TFileSettingsStore& TQtPlatformInstallation::Settings() { return platform_->store; }

void TQtPlatformInstallation::NoticeMissingTray(int afterMs, const std::string& notice) {
  platform_->notifyArea.NoticeMissingTray(afterMs, notice);
}

std::unique_ptr<TQtPlatformInstallation> InstallQtPlatform(const std::filesystem::path& softwareFolder) {
  return std::make_unique<TQtPlatformInstallation>(softwareFolder);
}

}  // namespace zerka::qt
