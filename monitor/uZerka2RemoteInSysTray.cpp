// The program: a tray icon watching and remote-controlling a Zerka proxy server, with one
// window for its settings that stays hidden until the tray menu opens it.

#include <string>
#include <vector>

#include "monitor/ProgramPlatform.h"
#include "monitor/ProgramStart.h"

int main(int argc, char** argv) {
  using namespace zerka;
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto autostart = ProgramAutostart();
  const auto instance = ProgramInstance();
  return RunProgram(args,
                    {*autostart, instance.get(), InstallProgramPlatform, ProgramCanShowWindows(), ProgramPrinter()});
}
