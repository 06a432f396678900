#include "monitor/ProgramPlatform.h"

#include "platform/qt/QtPlatform.h"

namespace zerka {

namespace {

// Long enough for a desktop's tray host to come up when the program starts with the session.
constexpr int kTrayWaitMs = 10000;

}  // namespace

std::shared_ptr<void> InstallProgramPlatform() {
  auto installation = qt::InstallQtPlatform();
  installation->NoticeMissingTray(kTrayWaitMs, "Kein Infobereich gefunden");
  return installation;
}

}  // namespace zerka
