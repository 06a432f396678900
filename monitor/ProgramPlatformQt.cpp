#include "monitor/ProgramPlatform.h"

#include <cstdlib>

#include "monitor/Pictures.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/XdgAutostart.h"

namespace zerka {

namespace {

// Long enough for a desktop's tray host to come up when the program starts with the session.
constexpr int kTrayWaitMs = 10000;

}  // namespace

std::shared_ptr<void> InstallProgramPlatform() {
  auto installation = qt::InstallQtPlatform();
  installation->NoticeMissingTray(kTrayWaitMs, "Kein Infobereich gefunden");
  // Window managers that read only the window's own icon, and a start from the build folder,
  // would show a generic one.
  installation->SetWindowIcon(*InitialTrayPicture(), ProgramIcon());
  return installation;
}

// Qt ends the process when its window system cannot be reached; a platform chosen by name
// (offscreen, say) needs no display.
bool ProgramCanShowWindows() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

std::function<void(const std::string&)> ProgramPrinter() { return {}; }

std::unique_ptr<IAutostartPort> ProgramAutostart() {
  return std::make_unique<qt::TXdgAutostart>(qt::TXdgAutostart::ThisProgram());
}

// Linux desktops keep no session-wide lock for tray programs; each start runs its own.
std::unique_ptr<IInstancePort> ProgramInstance() { return nullptr; }

}  // namespace zerka
