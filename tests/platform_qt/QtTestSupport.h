#pragma once
// Shared by the Qt platform tests: a private settings folder, the platform installed on the
// offscreen display (or on the X display of the tray wrapper), and waiting on a condition
// with the event loop running.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/QtPlatform.h"

namespace zerka::qt {

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zerka-qt-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    path_ = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Without the tray wrapper's display the widgets run offscreen.
inline std::unique_ptr<TQtPlatformInstallation> InstallForTest(const std::filesystem::path& softwareFolder) {
  if (!std::getenv("ZERKA_QT_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return InstallQtPlatform(softwareFolder);
}

// Runs the event loop until the condition holds; false when the bound passed first.
inline bool RunUntil(const std::function<bool()>& reached, int boundMs = 5000) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!reached()) {
    if (elapsed.elapsed() > boundMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return true;
}

}  // namespace zerka::qt
