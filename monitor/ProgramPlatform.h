#pragma once
// The platform the program runs on, chosen when it is linked: each platform build links one
// source that defines these.

#include <functional>
#include <memory>
#include <string>

#include "framework/Autostart.h"
#include "framework/SingleInstance.h"

namespace zerka {

// Installs the platform; it stays installed while the returned object lives.
std::shared_ptr<void> InstallProgramPlatform();

// Whether the platform can show a window here at all.
bool ProgramCanShowWindows();

// Where --help and --version write their Latin-1 text; empty for standard output.
std::function<void(const std::string&)> ProgramPrinter();

// Start at log-on for this program's executable.
std::unique_ptr<IAutostartPort> ProgramAutostart();

// The session's one instance; nullptr where every start runs a program of its own.
std::unique_ptr<IInstancePort> ProgramInstance();

}  // namespace zerka
