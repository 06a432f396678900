#include "monitor/ProgramStart.h"

#include <iostream>
#include <utility>

#include "base/Latin1.h"
#include "framework/Application.h"
#include "monitor/CommandLine.h"
#include "monitor/Unit1.h"

namespace zerka {
namespace {

// How often a start tries to claim the session when the program that held it was ending.
constexpr int kClaimAttempts = 3;

// Standard error, for scripts and terminals.
void Report(const std::string& text) {
  std::string line;
  for (const char c : Latin1ToUtf8(text)) {
    if (c != '\r') line += c;
  }
  std::cerr << line << std::endl;
}

// A message box, and the same text on standard error.
void Complain(const std::string& text, const TProgramPorts& ports) {
  Report(text);
  if (!ports.CanShowWindows) return;
  const std::shared_ptr<void> platform = ports.InstallPlatform();
  Platform().Dialogs().ShowMessageBox(0, text, ProgramTitle(), TMsgButtons::OK, TMsgIcon::Stop);
}

// The installer calls these silently: their exit status tells what happened, and no message
// box ever waits for a click.
int SetAutostart(bool on, const TProgramPorts& ports) {
  if (on ? ports.Autostart.Enable() : ports.Autostart.Disable()) return 0;
  Report(on ? "Der Start beim Anmelden ließ sich nicht einrichten."_l1
            : "Der Start beim Anmelden ließ sich nicht abschalten."_l1);
  return 1;
}

int Print(const std::string& text, const TProgramPorts& ports) {
  if (ports.Print) {
    ports.Print(text);
  } else {
    std::cout << Latin1ToUtf8(text) << std::flush;
  }
  return 0;
}

int EndRunning(TInstanceRequest request, const TProgramPorts& ports) {
  if (ports.Instance->Request(request)) return 0;
  Report(request == TInstanceRequest::Quit ? "Das laufende Programm hat sich nicht beendet."
                                           : "Das laufende Programm ließ sich nicht beenden."_l1);
  return 1;
}

int RunMonitor(const TProgramPorts& ports) {
  const std::shared_ptr<void> platform = ports.InstallPlatform();
  TZerka2Remote2Config* form = nullptr;
  // Requests that arrive while the window is still being made (its error box runs the loop)
  // wait for it.
  std::vector<TInstanceRequest> early;
  const auto answer = [&form, &early](TInstanceRequest request) {
    if (form) {
      AnswerInstanceRequest(*form, request);
    } else {
      early.push_back(request);
    }
  };
  // A program that is just ending refuses the request; this start then runs in its place.
  for (int attempt = 0; ports.Instance && !ports.Instance->Claim(answer); ++attempt) {
    if (ports.Instance->Request(TInstanceRequest::Show) || attempt == kClaimAttempts - 1) return 0;
  }
  auto application = std::make_unique<TApplication>();
  Application->Initialize();
  Application->SetTitle(ProgramTitle());
  Application->ShowMainForm = false;
  form = new TZerka2Remote2Config(Application);
  for (const TInstanceRequest request : std::exchange(early, {})) AnswerInstanceRequest(*form, request);
  Application->Run();
  form = nullptr;
  if (ports.Instance) ports.Instance->Release();
  return 0;
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, TProgramPorts ports) {
  const bool instanceKnown = ports.Instance != nullptr;
  const TCommandLine commandLine = ParseCommandLine(args, instanceKnown);
  switch (commandLine.Action) {
    case TStartAction::Run: return RunMonitor(ports);
    case TStartAction::AutostartOn: return SetAutostart(true, ports);
    case TStartAction::AutostartOff: return SetAutostart(false, ports);
    case TStartAction::Quit: return EndRunning(TInstanceRequest::Quit, ports);
    case TStartAction::Terminate: return EndRunning(TInstanceRequest::Terminate, ports);
    case TStartAction::Help: return Print(HelpText(instanceKnown), ports);
    case TStartAction::Version: return Print(VersionText(), ports);
    case TStartAction::Refused: break;
  }
  Complain(RefusedOptionText(commandLine.Refused, instanceKnown), ports);
  return 3;
}

void AnswerInstanceRequest(TZerka2Remote2Config& form, TInstanceRequest request) {
  try {
    if (request == TInstanceRequest::Show) {
      form.Einstellungen1Click(&form);
    } else if (request == TInstanceRequest::Quit) {
      TMessage endSession{msg::EndSession, 1, 0, 0};
      form.WMEndSession(endSession);
      if (Application) Application->Terminate();
    }
  } catch (const std::exception& e) {
    HandleEventException(e);
  }
}

}  // namespace zerka
