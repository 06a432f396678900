#include "tray/SysTrayIcon.h"

#include <algorithm>
#include <cstring>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Platform.h"
#include "tray/TrayIconHandler.h"
#include "tray/TrayMenuModel.h"

namespace zerka {
namespace {

constexpr std::uint32_t kStandardFlags = nif::Message | nif::Icon | nif::Tip;
constexpr std::uint32_t kBalloonIcons[] = {niif::None, niif::Info, niif::Warning, niif::Error};

// Copies at most `limit` characters and clears the rest of the field.
template <std::size_t N>
void CopyCut(char (&field)[N], const std::string& text, std::size_t limit) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min({text.size(), limit, N - 1}));
}

TShiftState KeyShiftState() {
  auto& input = Platform().Input();
  TShiftState shift = 0;
  if (input.IsKeyDown(TVirtualKey::Shift)) shift |= ssShift;
  if (input.IsKeyDown(TVirtualKey::Menu)) shift |= ssAlt;
  if (input.IsKeyDown(TVirtualKey::Control)) shift |= ssCtrl;
  return shift;
}

}  // namespace

TSysTrayIcon::TSysTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
  TTrayIconHandler& handler = AcquireTrayHandler();
  identity_ = handler.Register(this);
  icon_ = std::make_unique<TIcon>();
  icon_->OnChange = [this](TObject*) { UpdateInTray(); };
  notifyData_.cbSize = TNotifyIconData::kRecordSize;
  notifyData_.hWnd = handler.Handle();
  notifyData_.uID = identity_;
  notifyData_.uFlags = kStandardFlags;
  notifyData_.uCallbackMessage = TrayCallbackMessage;
  cycleTicker_ = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { CycleTick(); });
  clickTicker_ = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { ClickTick(); });
  exitTicker_ = std::make_unique<TSimpleTimer>(20, [this](TObject*) { ExitTick(); });
  menuModel_ = std::make_unique<TTrayMenuModel>(*this);
  Platform().NotifyArea().SetMenuModel(notifyData_.hWnd, identity_, menuModel_.get());
  InstallHooks();
}

TSysTrayIcon::~TSysTrayIcon() {
  *alive_ = false;
  try {
    SetIconVisible(false);
  } catch (...) {
    // The hooks and the handler must go whatever the shell did.
  }
  Platform().NotifyArea().SetMenuModel(notifyData_.hWnd, identity_, nullptr);
  cycleTicker_.reset();
  clickTicker_.reset();
  exitTicker_.reset();
  icon_.reset();
  RemoveHooks();
  if (TTrayIconHandler* handler = TrayHandler()) handler->Unregister(identity_);
  ReleaseTrayHandler();
}

void TSysTrayIcon::SetIconList(TCustomImageList* value) {
  if (iconList_) iconList_->RemoveFreeNotification(this);
  iconList_ = value;
  if (iconList_) iconList_->FreeNotification(this);
  SetIconIndex(0);
}

void TSysTrayIcon::SetCycleIcons(bool value) {
  cycleIcons_ = value;
  if (value) {
    SetIconIndex(0);
    cycleTicker_->SetIntervalMs(cycleInterval_);
    cycleTicker_->SetRunning(true);
  } else {
    cycleTicker_->SetRunning(false);
  }
}

void TSysTrayIcon::SetCycleInterval(std::uint32_t value) {
  cycleInterval_ = value;
  SetCycleIcons(cycleIcons_);
}

void TSysTrayIcon::SetHint(const std::string& value) {
  hint_ = value;
  UpdateInTray();
}

void TSysTrayIcon::SetShowHint(bool value) {
  showHint_ = value;
  UpdateInTray();
}

void TSysTrayIcon::SetIcon(const TIcon& value) {
  TObjectEvent onChange = std::move(icon_->OnChange);
  icon_->OnChange = nullptr;
  icon_->Assign(value);
  icon_->OnChange = std::move(onChange);
  UpdateInTray();
}

void TSysTrayIcon::SetIconVisible(bool value) {
  if (value) {
    AddToTray();
  } else {
    RemoveFromTray();
  }
}

void TSysTrayIcon::SetIconIndex(int value) {
  if (iconList_) {
    iconIndex_ = std::min(value, iconList_->Count() - 1);
    iconList_->GetIcon(iconIndex_, *icon_);
  } else {
    iconIndex_ = 0;
  }
  UpdateInTray();
}

void TSysTrayIcon::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = value;
  if (popupMenu_) popupMenu_->FreeNotification(this);
}

void TSysTrayIcon::SetWantEnterExitEvents(bool value) {
  wantEnterExitEvents_ = value;
  exitTicker_->SetRunning(value);
}

void TSysTrayIcon::PrepareIconData() {
  notifyData_.hIcon = icon_->Image();
  if (!hint_.empty() && showHint_) {
    CopyCut(notifyData_.szTip, hint_, TNotifyIconData::kTipSize - 1);
  } else {
    std::memset(notifyData_.szTip, 0, sizeof notifyData_.szTip);
  }
}

bool TSysTrayIcon::Shell(TNotifyIconMessage operation) {
  PrepareIconData();
  return Platform().NotifyArea().NotifyIcon(operation, notifyData_);
}

bool TSysTrayIcon::AddToTray() {
  iconVisible_ = true;
  return Shell(TNotifyIconMessage::Add);
}

bool TSysTrayIcon::RemoveFromTray() {
  iconVisible_ = false;
  return Shell(TNotifyIconMessage::Remove);
}

bool TSysTrayIcon::UpdateInTray() { return Shell(TNotifyIconMessage::Modify); }

void TSysTrayIcon::HideBalloon() {
  notifyData_.uFlags |= nif::Info;
  std::memset(notifyData_.szInfo, 0, sizeof notifyData_.szInfo);
  UpdateInTray();
}

bool TSysTrayIcon::ShowBalloon(const std::string& BalloonTitle, const std::string& BalloonText,
                               TBalloonIconKind IconKind, std::uint8_t TimeoutSeconds) {
  HideBalloon();
  notifyData_.uFlags |= nif::Info;
  CopyCut(notifyData_.szInfo, BalloonText, TNotifyIconData::kInfoSize - 1);
  CopyCut(notifyData_.szInfoTitle, BalloonTitle, TNotifyIconData::kInfoTitleSize - 1);
  notifyData_.uTimeoutOrVersion = TimeoutSeconds * 1000u;
  notifyData_.dwInfoFlags = kBalloonIcons[IconKind];
  const bool accepted = UpdateInTray();
  // Later updates of picture or tip must not repeat the balloon.
  notifyData_.uFlags = kStandardFlags;
  return accepted;
}

void TSysTrayIcon::Loaded() {
  TComponent::Loaded();
  if (OwnerForm()) StartupDecision();
  UpdateInTray();
  SetIconVisible(iconVisible_);
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExitEvents_);
  // The classic callback style: the mouse codes as the shell first defined them.
  notifyData_.uTimeoutOrVersion = 0;
  Shell(TNotifyIconMessage::SetVersion);
}

void TSysTrayIcon::TrayCallback(std::uint32_t code) {
  const std::shared_ptr<bool> alive = alive_;
  switch (code) {
    case msg::BalloonShow:
      RaiseEvent(OnBalloonHintShow);
      return;
    case msg::BalloonHide:
      RaiseEvent(OnBalloonHintHide);
      return;
    case msg::BalloonTimeout:
      RaiseEvent(OnBalloonHintTimeout);
      return;
    case msg::BalloonUserClick:
      RaiseEvent(OnBalloonHintClick);
      return;
    default:
      break;
  }
  if (!Enabled) return;
  TPoint pos;
  Platform().Input().GetCursorPos(pos);
  const TShiftState shift = KeyShiftState();
  switch (code) {
    case msg::MouseMove:
      if (wantEnterExitEvents_ && pointerOutside_) {
        MouseEnter();
        if (!*alive) return;
        pointerOutside_ = false;
      }
      MouseMove(shift, pos.X, pos.Y);
      if (!*alive) return;
      lastPointerPos_ = pos;
      break;
    case msg::LButtonDown:
      if (OnDblClick) {
        clickTicker_->SetIntervalMs(Platform().Input().GetDoubleClickTime());
        clickTicker_->SetRunning(true);
      }
      MouseDown(TMouseButton::mbLeft, shift | ssLeft, pos.X, pos.Y);
      if (!*alive) return;
      leftDownSeen_ = true;
      if (LeftPopup) PopupMenuAtCursor();
      break;
    case msg::LButtonUp:
      if (leftDownSeen_) clickDue_ = true;
      if (leftDownSeen_ && !clickTicker_->Running()) {
        leftDownSeen_ = false;
        clickDue_ = false;
        Click();
        if (!*alive) return;
      }
      leftDownSeen_ = false;
      MouseUp(TMouseButton::mbLeft, shift | ssLeft, pos.X, pos.Y);
      break;
    case msg::LButtonDblClk:
      clickDue_ = false;
      doubleClickSeen_ = true;
      DblClick();
      if (!*alive) return;
      RunDefaultItem();
      break;
    case msg::RButtonDown:
      MouseDown(TMouseButton::mbRight, shift | ssRight, pos.X, pos.Y);
      if (!*alive) return;
      PopupMenuAtCursor();
      break;
    case msg::RButtonUp:
      MouseUp(TMouseButton::mbRight, shift | ssRight, pos.X, pos.Y);
      break;
    case msg::MButtonDown:
      MouseDown(TMouseButton::mbMiddle, shift | ssMiddle, pos.X, pos.Y);
      break;
    case msg::MButtonUp:
      MouseUp(TMouseButton::mbMiddle, shift | ssMiddle, pos.X, pos.Y);
      break;
    default:
      break;
  }
}

void TSysTrayIcon::RaiseEvent(const TNotifyEvent& event) {
  // A handler may destroy this icon, and with it the event it runs from.
  if (TNotifyEvent handler = event) handler(this);
}

void TSysTrayIcon::RunDefaultItem() {
  if (!popupMenu_ || !popupMenu_->AutoPopup || LeftPopup) return;
  const auto& items = popupMenu_->Items();
  const auto first = std::find_if(items.begin(), items.end(), [](const TMenuItem* item) { return item->Default; });
  if (first != items.end()) (*first)->Click();
}

void TSysTrayIcon::PopupMenuAtCursor() {
  TPoint pos;
  if (!popupMenu_ || !popupMenu_->AutoPopup || !Platform().Input().GetCursorPos(pos)) return;
  const std::shared_ptr<bool> alive = alive_;
  if (Application) {
    Platform().Windows().SetForegroundWindow(Application->Handle());
    Application->ProcessMessages();
  }
  // The waiting messages may have taken the icon or its menu away.
  if (!*alive || !popupMenu_) return;
  popupMenu_->PopupComponent = this;
  popupMenu_->Popup(pos);
  if (!*alive) return;
  if (TCustomForm* form = OwnerForm()) Platform().EventLoop().PostWindowMessage(form->Handle(), msg::Null, 0, 0);
}

void TSysTrayIcon::ClickTick() {
  clickTicker_->SetRunning(false);
  if (!doubleClickSeen_ && clickDue_) {
    clickDue_ = false;
    const std::shared_ptr<bool> alive = alive_;
    Click();
    if (!*alive) return;
  }
  doubleClickSeen_ = false;
}

void TSysTrayIcon::ExitTick() {
  if (pointerOutside_) return;
  TPoint pos;
  if (!Platform().Input().GetCursorPos(pos)) return;
  if (pos != lastPointerPos_) {
    pointerOutside_ = true;
    MouseExit();
  }
}

void TSysTrayIcon::CycleTick() {
  if (!iconList_) return;
  iconList_->GetIcon(iconIndex_, *icon_);
  const int next = iconIndex_ < iconList_->Count() - 1 ? iconIndex_ + 1 : 0;
  const std::shared_ptr<bool> alive = alive_;
  Cycle(next);
  if (!*alive) return;
  SetIconIndex(next);
}

void TSysTrayIcon::Click() { RaiseEvent(OnClick); }
void TSysTrayIcon::DblClick() { RaiseEvent(OnDblClick); }

void TSysTrayIcon::Cycle(int NextIndex) {
  if (TCycleEvent handler = OnCycle) handler(this, NextIndex);
}

void TSysTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (TMouseEvent handler = OnMouseDown) handler(this, Button, Shift, X, Y);
}

void TSysTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (TMouseEvent handler = OnMouseUp) handler(this, Button, Shift, X, Y);
}

void TSysTrayIcon::MouseMove(TShiftState Shift, int X, int Y) {
  if (TMouseMoveEvent handler = OnMouseMove) handler(this, Shift, X, Y);
}

void TSysTrayIcon::MouseEnter() { RaiseEvent(OnMouseEnter); }
void TSysTrayIcon::MouseExit() { RaiseEvent(OnMouseExit); }

void TSysTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == iconList_) {
    iconList_ = nullptr;
    SetIconIndex(0);
  }
  if (AComponent == popupMenu_) popupMenu_ = nullptr;
}

}  // namespace zerka
