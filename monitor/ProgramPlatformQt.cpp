#include "monitor/ProgramPlatform.h"

#include <cstdlib>

#include "platform/qt/QtPlatform.h"
#include "platform/qt/XdgAutostart.h"

namespace zerka {

std::shared_ptr<void> InstallProgramPlatform() { return qt::InstallQtPlatform(); }

// Qt ends the process when its window system cannot be reached; a platform chosen by name
// (offscreen, say) needs no display.
bool ProgramCanShowWindows() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

std::unique_ptr<IAutostartPort> ProgramAutostart() {
  return std::make_unique<qt::TXdgAutostart>(qt::TXdgAutostart::ThisProgram());
}

// Linux desktops keep no session-wide lock for tray programs; each start runs its own.
std::unique_ptr<IInstancePort> ProgramInstance() { return nullptr; }

}  // namespace zerka
