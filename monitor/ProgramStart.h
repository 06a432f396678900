#pragma once
// The program from its command line to its end, on ports the entry hands in, so that tests can
// run it on the headless platform.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Autostart.h"
#include "framework/SingleInstance.h"

namespace zerka {

class TZerka2Remote2Config;

struct TProgramPorts {
  IAutostartPort& Autostart;
  // nullptr where every start runs a program of its own.
  IInstancePort* Instance;
  // Installs the windowing platform; only what needs windows asks for it.
  std::function<std::shared_ptr<void>()> InstallPlatform;
  // False where no window can be shown (a Linux shell without a display): a refusal then
  // goes to standard error alone.
  bool CanShowWindows = true;
  // Writes --help's and --version's Latin-1 text where the user reads it; empty: UTF-8 to
  // standard output.
  std::function<void(const std::string&)> Print;
};

// Returns the exit status: 0 done (--help and --version included), 1 an option could not be
// carried out, 3 an argument was refused. --quit and --terminate: 0 when no program runs in the
// session any more, 1 when it still does. Only a refusal shows a message box; the options the
// installer calls (--autostart, --quit, --terminate) report to standard error alone.
int RunProgram(const std::vector<std::string>& args, TProgramPorts ports);

// What the running program does for a later start: Show as the tray menu's
// "Zerka2 Remote - Einstellungen..." does; Quit as at log-off, then it ends without asking.
void AnswerInstanceRequest(TZerka2Remote2Config& form, TInstanceRequest request);

}  // namespace zerka
