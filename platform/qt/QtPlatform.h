#pragma once
// The Qt platform: every port of framework/Platform.h on Qt 6 Widgets, and the settings store
// as files below the user's configuration folder.
//  [x] event loop, message windows, timers, windows and controls   QtDesktop, QtWidgets
//  [x] notification area                                           QtNotifyArea
//  [x] message boxes and popup menus                               QtDialogs
//  [x] pointer, keyboard, clipboard, opening URLs                  QtServices
//  [x] dates and times in the system locale                        QtLocale
//  [x] settings store                                              FileSettingsStore
// Installing it makes the process's QApplication when there is none yet; that one stays for
// the life of the process (Qt allows one per process, and later installations reuse it).

#include <filesystem>
#include <memory>
#include <string>

#include "framework/IconImage.h"
#include "framework/Picture.h"
#include "framework/Platform.h"

namespace zerka::qt {

class TQtDesktop;
class TQtNotifyArea;
class TFileSettingsStore;

class TQtPlatformInstallation {
 public:
  // softwareFolder: the folder that stands for the settings key "Software"; empty for the
  // user's configuration folder.
  explicit TQtPlatformInstallation(const std::filesystem::path& softwareFolder = {});
  ~TQtPlatformInstallation();
  TQtPlatformInstallation(const TQtPlatformInstallation&) = delete;
  TQtPlatformInstallation& operator=(const TQtPlatformInstallation&) = delete;

  IPlatform& Platform();
  TQtDesktop& Desktop();
  TQtNotifyArea& NotifyArea();
  TFileSettingsStore& Settings();
  // When no tray host has turned up afterMs after this call, shows the program's windows
  // with `notice` in their status line, so that the program stays reachable.
  void NoticeMissingTray(int afterMs, const std::string& notice);

  // The icon of every window the program shows (X11's _NET_WM_ICON), see ToWindowIcon.
  void SetWindowIcon(const TIconImage& small, const TPicture& large);

 private:
  class TPlatform;
  std::unique_ptr<TPlatform> platform_;
  IPlatform* previous_;
};

std::unique_ptr<TQtPlatformInstallation> InstallQtPlatform(const std::filesystem::path& softwareFolder = {});

}  // namespace zerka::qt
