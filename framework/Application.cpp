#include "framework/Application.h"

#include <algorithm>

#include "base/Exception.h"
#include "framework/Form.h"
#include "framework/MessageWindow.h"

namespace zerka {

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
  handle_ = Platform().Windows().CreateApplicationWindow(
      title_, GuardHandler([this](TMessage& message) { return WndProc(message); }));
  Application = this;
}

TApplication::~TApplication() {
  // Forms and components go while the application window still exists.
  while (!Components().empty()) delete Components().back();
  Platform().Windows().DestroyWindow(handle_);
  if (Application == this) Application = nullptr;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  Platform().Windows().SetText(handle_, title_);
}

void TApplication::Run() {
  if (ShowMainForm && mainForm_) mainForm_->Show();
  auto& loop = Platform().EventLoop();
  while (!terminated_ && loop.WaitAndDispatch()) {
  }
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  Platform().EventLoop().PostQuit();
}

void TApplication::ProcessMessages() { Platform().EventLoop().DispatchPending(); }

void TApplication::Minimize() { Platform().Windows().ShowWindow(handle_, TShowCommand::Minimize); }

void TApplication::Restore() { Platform().Windows().ShowWindow(handle_, TShowCommand::Restore); }

void TApplication::ShowTaskbarButton(bool shown) {
  IWindowPort& windows = Platform().Windows();
  if (!shown) {
    if (windows.IsWindowVisible(handle_)) windows.ShowWindow(handle_, TShowCommand::Hide);
  } else if (windows.IsIconic(handle_)) {
    windows.ShowWindow(handle_, TShowCommand::Restore);
  } else if (!windows.IsWindowVisible(handle_)) {
    windows.ShowWindow(handle_, TShowCommand::ShowNormal);
  }
}

void TApplication::HookMainWindow(const void* key, TWindowHook hook) {
  hooks_.emplace_back(key, std::move(hook));
}

void TApplication::UnhookMainWindow(const void* key) {
  std::erase_if(hooks_, [key](const auto& entry) { return entry.first == key; });
}

bool TApplication::WndProc(TMessage& message) {
  // A hook may unhook itself or others while it runs.
  for (const auto& [key, hook] : std::vector(hooks_)) {
    const bool stillHooked = std::any_of(hooks_.begin(), hooks_.end(),
                                         [k = key](const auto& entry) { return entry.first == k; });
    if (stillHooked && hook(message)) return true;
  }
  switch (message.Msg) {
    case msg::SysCommand:
      if (message.WParam == sys_command::Close && mainForm_) {
        mainForm_->Close();
        return true;
      }
      return false;
    case msg::Close:
      if (mainForm_) mainForm_->Close();
      return true;
    case msg::QueryEndSession:
      message.Result = 1;
      return true;
    default:
      return false;
  }
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void TApplication::HandleException(const std::exception& e) {
  const auto* own = dynamic_cast<const Exception*>(&e);
  const std::string text = own ? own->Message() : std::string(e.what());
  MessageBox(ErrorBoxText(text), title_, TMsgButtons::OK, TMsgIcon::Stop);
}

TModalResult TApplication::MessageBox(const std::string& text, const std::string& caption,
                                      TMsgButtons buttons, TMsgIcon icon) {
  return Platform().Dialogs().ShowMessageBox(handle_, text, caption, buttons, icon);
}

void HandleEventException(const std::exception& e) {
  if (!Application) throw;
  Application->HandleException(e);
}

}  // namespace zerka
