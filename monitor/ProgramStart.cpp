#include "monitor/ProgramStart.h"

#include <iostream>

#include "base/Latin1.h"
#include "framework/Application.h"
#include "monitor/CommandLine.h"
#include "monitor/Unit1.h"

namespace zerka {
namespace {

// A message box, and the same text on standard error for scripts and terminals.
void Complain(const std::string& text, const TProgramPorts& ports) {
  std::string line;
  for (const char c : Latin1ToUtf8(text)) {
    if (c != '\r') line += c;
  }
  std::cerr << line << std::endl;
  if (!ports.CanShowWindows) return;
  const std::shared_ptr<void> platform = ports.InstallPlatform();
  Platform().Dialogs().ShowMessageBox(0, text, ProgramTitle(), TMsgButtons::OK, TMsgIcon::Stop);
}

int SetAutostart(bool on, const TProgramPorts& ports) {
  if (on ? ports.Autostart.Enable() : ports.Autostart.Disable()) return 0;
  Complain(on ? "Der Start beim Anmelden ließ sich nicht einrichten."_l1
              : "Der Start beim Anmelden ließ sich nicht abschalten."_l1,
           ports);
  return 1;
}

int RunMonitor(const TProgramPorts& ports) {
  const std::shared_ptr<void> platform = ports.InstallPlatform();
  TZerka2Remote2Config* form = nullptr;
  // Requests can arrive while the window is still being made (its error box runs the loop);
  // they find no window yet and are dropped.
  if (ports.Instance && !ports.Instance->Claim([&form](TInstanceRequest request) {
        if (form) AnswerInstanceRequest(*form, request);
      })) {
    ports.Instance->Request(TInstanceRequest::Show);
    return 0;
  }
  auto application = std::make_unique<TApplication>();
  Application->Initialize();
  Application->SetTitle(ProgramTitle());
  Application->ShowMainForm = false;
  form = new TZerka2Remote2Config(Application);
  Application->Run();
  form = nullptr;
  return 0;
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, TProgramPorts ports) {
  const bool quitKnown = ports.Instance != nullptr;
  const TCommandLine commandLine = ParseCommandLine(args, quitKnown);
  switch (commandLine.Action) {
    case TStartAction::Run: return RunMonitor(ports);
    case TStartAction::AutostartOn: return SetAutostart(true, ports);
    case TStartAction::AutostartOff: return SetAutostart(false, ports);
    case TStartAction::Quit:
      if (ports.Instance->Request(TInstanceRequest::Quit)) return 0;
      Complain("Das laufende Programm hat sich nicht beendet.", ports);
      return 1;
    case TStartAction::Refused: break;
  }
  Complain(RefusedOptionText(commandLine.Refused, quitKnown), ports);
  return 3;
}

void AnswerInstanceRequest(TZerka2Remote2Config& form, TInstanceRequest request) {
  try {
    if (request == TInstanceRequest::Show) {
      form.Einstellungen1Click(&form);
    } else {
      TMessage endSession{msg::EndSession, 1, 0, 0};
      form.WMEndSession(endSession);
      if (Application) Application->Terminate();
    }
  } catch (const std::exception& e) {
    HandleEventException(e);
  }
}

}  // namespace zerka
