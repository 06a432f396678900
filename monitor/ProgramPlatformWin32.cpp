#include "monitor/ProgramPlatform.h"

#include "platform/win32/Win32Platform.h"

namespace zerka {

std::shared_ptr<void> InstallProgramPlatform() { return InstallWin32Platform(); }

}  // namespace zerka
