#include "framework/Form.h"

#include <algorithm>

#include "framework/MessageWindow.h"

namespace zerka {

TCustomForm::TCustomForm(TComponent* AOwner, TFormDesc desc)
    : TComponent(AOwner), desc_(std::move(desc)) {
  if (Application && !Application->MainForm()) Application->SetMainForm(this);
}

TCustomForm::~TCustomForm() {
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
  if (handle_) Platform().Windows().DestroyWindow(handle_);
}

TWindowHandle TCustomForm::Handle() {
  if (!handle_) {
    handle_ = Platform().Windows().CreateFormWindow(
        desc_, GuardHandler([this](TMessage& message) { return Dispatch(message); }));
  }
  return handle_;
}

void TCustomForm::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  const bool isMain = Application && Application->MainForm() == this;
  // Shown first, so that a form owned by a minimised application window comes back with it.
  if (visible && isMain) Application->ShowTaskbarButton(true);
  Platform().Windows().ShowWindow(Handle(), visible ? TShowCommand::ShowNormal : TShowCommand::Hide);
  if (!visible && isMain) Application->ShowTaskbarButton(false);
  if (visible && OnShow) OnShow(this);
  if (!visible && OnHide) OnHide(this);
}

void TCustomForm::Show() {
  SetVisible(true);
  Platform().Windows().SetForegroundWindow(Handle());
}

void TCustomForm::Close() {
  const bool isMain = Application && Application->MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
  if (OnClose) OnClose(this, action);
  if (action == TCloseAction::caNone) return;
  if (isMain) {
    Application->Terminate();
  } else if (action == TCloseAction::caMinimize) {
    Platform().Windows().ShowWindow(Handle(), TShowCommand::Minimize);
  } else {
    Hide();
  }
}

void TCustomForm::AddMessageFilter(const void* key, TWindowHook filter) {
  filters_.emplace_back(key, std::move(filter));
}

void TCustomForm::RemoveMessageFilter(const void* key) {
  std::erase_if(filters_, [key](const auto& entry) { return entry.first == key; });
}

bool TCustomForm::Dispatch(TMessage& message) {
  for (const auto& [key, filter] : std::vector(filters_)) {
    const bool stillThere = std::any_of(filters_.begin(), filters_.end(),
                                        [k = key](const auto& entry) { return entry.first == k; });
    if (stillThere && filter(message)) return true;
  }
  return WndProc(message);
}

bool TCustomForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case msg::Close:
      Close();
      return true;
    case msg::ShowRequest:
      Show();
      return true;
    case msg::SysCommand:
      if (message.WParam == sys_command::Minimize && Application && Application->MainForm() == this) {
        Application->Minimize();
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace zerka
