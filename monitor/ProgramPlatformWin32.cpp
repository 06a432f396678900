#include "monitor/ProgramPlatform.h"

#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Autostart.h"
#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Instance.h"

namespace zerka {

std::shared_ptr<void> InstallProgramPlatform() { return InstallWin32Platform(); }

bool ProgramCanShowWindows() { return true; }

std::function<void(const std::string&)> ProgramPrinter() { return win32::WriteToConsole; }

std::unique_ptr<IAutostartPort> ProgramAutostart() { return std::make_unique<win32::TWin32Autostart>(); }

std::unique_ptr<IInstancePort> ProgramInstance() { return std::make_unique<win32::TWin32Instance>(); }

}  // namespace zerka
