// The tray icon's reach beyond its own window: a hook on the application window (minimising
// sends the main form to the tray, a restore command shows it, a re-created taskbar gets the
// icon back, the startup decision for an MDI frame) and a filter on the owner form (bringing
// it to the front when shown, sending it to the tray when minimised or hidden by its parent's
// closing, when the program asks for that with OnMinimizeToTray).

#include "framework/Application.h"
#include "framework/Form.h"
#include "tray/SysTrayIcon.h"

namespace zerka {

TCustomForm* TSysTrayIcon::OwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

void TSysTrayIcon::InstallHooks() {
  if (Application) Application->HookMainWindow(this, [this](TMessage& message) { return ApplicationHook(message); });
  if (TCustomForm* form = OwnerForm()) {
    form->AddMessageFilter(this, [this](TMessage& message) { return OwnerFilter(message); });
  }
  hooked_ = true;
}

void TSysTrayIcon::RemoveHooks() {
  if (!hooked_) return;
  hooked_ = false;
  if (Application) Application->UnhookMainWindow(this);
  if (TCustomForm* form = OwnerForm()) form->RemoveMessageFilter(this);
}

bool TSysTrayIcon::ApplicationHook(TMessage& message) {
  const std::uint32_t taskbarCreated = Platform().NotifyArea().TaskbarCreatedMessage();
  if (taskbarCreated != 0 && message.Msg == taskbarCreated) {
    if (iconVisible_) AddToTray();
    return false;
  }
  switch (message.Msg) {
    case msg::Size:
      if (message.WParam == size_kind::Minimized && MinimizeToTray) SendToTray();
      break;
    case msg::SysCommand:
      if (message.WParam == sys_command::Restore && Application->MainForm()) {
        Application->MainForm()->SetVisible(true);
      }
      break;
    case msg::WindowPosChanged:
      if (startupCheckPending_ && Application->MainForm()) {
        startupCheckPending_ = false;
        if (Application->MainForm()->IsMdiFrame()) {
          bool showMainForm = true;
          if (TStartupEvent handler = OnStartup) handler(this, showMainForm);
          if (!showMainForm) HideTaskbarWindow();
        }
      }
      break;
    default:
      break;
  }
  return false;
}

bool TSysTrayIcon::OwnerFilter(TMessage& message) {
  switch (message.Msg) {
    case msg::ShowWindow:
      if (message.WParam == 1 && message.LParam == 0) {
        auto& windows = Platform().Windows();
        if (Application) windows.SetForegroundWindow(Application->Handle());
        windows.SetForegroundWindow(OwnerForm()->Handle());
        return false;
      }
      if (message.WParam == 0 && message.LParam == kShowParentClosing &&
          !(Application && Application->Terminated())) {
        return TrySendToTray(message);
      }
      return false;
    case msg::SysCommand:
      return message.WParam == sys_command::Minimize && TrySendToTray(message);
    default:
      return false;
  }
}

bool TSysTrayIcon::TrySendToTray(TMessage& message) {
  if (!MinimizeToTray || !OnMinimizeToTray) return false;
  RaiseEvent(OnMinimizeToTray);
  SendToTray();
  message.Result = 1;
  return true;
}

void TSysTrayIcon::SendToTray() {
  HideMainWindow();
  SetIconVisible(true);
}

void TSysTrayIcon::HideMainWindow() {
  if (!OwnerForm() || !Application || !Application->MainForm()) return;
  Application->MainForm()->SetVisible(false);
  HideTaskbarWindow();
}

void TSysTrayIcon::HideTaskbarWindow() {
  if (!Application) return;
  auto& windows = Platform().Windows();
  if (windows.IsWindowVisible(Application->Handle())) windows.ShowWindow(Application->Handle(), TShowCommand::Hide);
}

void TSysTrayIcon::StartupDecision() {
  bool showMainForm = true;
  if (TStartupEvent handler = OnStartup) handler(this, showMainForm);
  if (showMainForm) return;
  if (Application) Application->ShowMainForm = false;
  HideMainWindow();
}

}  // namespace zerka
