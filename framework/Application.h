#pragma once
// The application: its title, its main form, the application window that carries the
// program's taskbar button, the message loop and the common error box.

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "base/Component.h"
#include "framework/Platform.h"

namespace zerka {

class TCustomForm;

// Sees a message before its window does; true consumes it.
using TWindowHook = std::function<bool(TMessage&)>;

class TApplication : public TComponent {
 public:
  // Creates the application window and becomes the process's Application.
  TApplication();
  ~TApplication() override;

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);

  TWindowHandle Handle() const { return handle_; }
  TCustomForm* MainForm() const { return mainForm_; }
  // The first form created becomes the main form; this sets it explicitly.
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }

  // Whether Run shows the main form before it enters the loop.
  bool ShowMainForm = true;

  void Initialize() {}
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // One pass of the message pump: dispatches what is waiting, then returns.
  void ProcessMessages();
  void Minimize();
  void Restore();
  // The application window carries the program's taskbar button; it shows while the main
  // form shows (restored when it was minimised) and goes when the main form is hidden.
  void ShowTaskbarButton(bool shown);

  // Hooks on the application window, keyed by their owner; they run in the order added.
  void HookMainWindow(const void* key, TWindowHook hook);
  void UnhookMainWindow(const void* key);

  // The common error box: modal, stop icon, one OK button, the title as caption.
  void HandleException(const std::exception& e);
  TModalResult MessageBox(const std::string& text, const std::string& caption,
                          TMsgButtons buttons, TMsgIcon icon = TMsgIcon::None);

 private:
  bool WndProc(TMessage& message);

  std::string title_;
  TWindowHandle handle_ = 0;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  std::vector<std::pair<const void*, TWindowHook>> hooks_;
};

// The process's application; nullptr while there is none.
extern TApplication* Application;

// An exception that escaped an event handler: the common error box of the Application, or,
// with no Application, the exception goes on.
void HandleEventException(const std::exception& e);

// The error box's text: a "." is appended when the last character's code is above ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace zerka
