#include "monitor/ProgramPlatform.h"

#include "platform/qt/QtPlatform.h"

namespace zerka {

std::shared_ptr<void> InstallProgramPlatform() { return qt::InstallQtPlatform(); }

}  // namespace zerka
