#pragma once
// The Win32 platform: every port of framework/Platform.h on user32, gdi32, comctl32, shell32
// and advapi32, with the "W" functions (texts converted at the edge by Win32Text).

#include <memory>

#include "framework/Platform.h"

namespace zerka {

// Makes the Win32 platform and installs it with SetPlatform; it stays installed while the
// returned object lives, and the platform installed before comes back when it goes.
class TWin32PlatformInstallation {
 public:
  TWin32PlatformInstallation();
  ~TWin32PlatformInstallation();
  TWin32PlatformInstallation(const TWin32PlatformInstallation&) = delete;
  TWin32PlatformInstallation& operator=(const TWin32PlatformInstallation&) = delete;

  IPlatform& Platform();

 private:
  std::unique_ptr<IPlatform> platform_;
  IPlatform* previous_;
};

std::unique_ptr<TWin32PlatformInstallation> InstallWin32Platform();

}  // namespace zerka
