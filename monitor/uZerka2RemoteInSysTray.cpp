// The program: a tray icon watching and remote-controlling a Zerka proxy server, with one
// window for its settings that stays hidden until the tray menu opens it.

#include <memory>

#include "framework/Application.h"
#include "monitor/ProgramPlatform.h"
#include "monitor/Unit1.h"

int main() {
  using namespace zerka;
  const std::shared_ptr<void> platform = InstallProgramPlatform();
  auto application = std::make_unique<TApplication>();
  Application->Initialize();
  Application->SetTitle(ProgramTitle());
  Application->ShowMainForm = false;
  new TZerka2Remote2Config(Application);
  Application->Run();
  return 0;
}
