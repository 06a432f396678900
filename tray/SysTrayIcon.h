#pragma once
// The notification-area icon component: one icon with picture and tip kept in step with the
// properties, mouse callbacks turned into events, the popup menu at the cursor on a right
// press, balloon notifications, picture cycling from an image list, and the minimise-to-tray
// behaviour through a hook on the application window and a filter on the owner form. The
// notification area also gets the popup menu as a menu model, for tray hosts that draw the
// menu themselves (TrayMenuModel).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/Component.h"
#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/NotifyIconData.h"
#include "tray/SimpleTimer.h"

namespace zerka {

class TCustomForm;
class TTrayMenuModel;

enum TBalloonIconKind { bikNone, bikInfo, bikWarning, bikError };

using TCycleEvent = std::function<void(TComponent* Sender, int NextIndex)>;
using TStartupEvent = std::function<void(TComponent* Sender, bool& ShowMainForm)>;

class TSysTrayIcon : public TComponent {
 public:
  explicit TSysTrayIcon(TComponent* AOwner);
  ~TSysTrayIcon() override;

  // Published properties, in streaming order.
  bool DesignPreview() const { return designPreview_; }
  void SetDesignPreview(bool value) { designPreview_ = value; }
  TCustomImageList* IconList() const { return iconList_; }
  void SetIconList(TCustomImageList* value);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool value);
  std::uint32_t CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(std::uint32_t value);
  bool Enabled = true;
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  // The owned picture; changing it (an image list copying into it, say) updates the shell.
  TIcon& Icon() { return *icon_; }
  void SetIcon(const TIcon& value);
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool value);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int value);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  bool LeftPopup = false;
  bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
  void SetWantEnterExitEvents(bool value);
  bool MinimizeToTray = false;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintShow;
  TNotifyEvent OnBalloonHintHide;
  TNotifyEvent OnBalloonHintTimeout;
  TNotifyEvent OnBalloonHintClick;
  TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  // True when the shell accepted the balloon.
  bool ShowBalloon(const std::string& BalloonTitle, const std::string& BalloonText,
                   TBalloonIconKind IconKind, std::uint8_t TimeoutSeconds);
  void HideBalloon();
  void RefreshIcon() { UpdateInTray(); }
  virtual bool AddToTray();
  virtual bool RemoveFromTray();
  virtual bool UpdateInTray();
  void HideMainWindow();
  void HideTaskbarWindow();

  // The record as last handed to the shell.
  const TNotifyIconData& NotifyData() const { return notifyData_; }
  std::uint32_t Identity() const { return identity_; }

  void Loaded() override;

  // A notification-area callback for this icon; the code is a mouse message or a balloon code.
  void TrayCallback(std::uint32_t code);

 protected:
  virtual void Click();
  virtual void DblClick();
  virtual void Cycle(int NextIndex);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseEnter();
  virtual void MouseExit();
  virtual void SendToTray();

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void PrepareIconData();
  bool Shell(TNotifyIconMessage operation);
  void PopupMenuAtCursor();
  void RunDefaultItem();
  void RaiseEvent(const TNotifyEvent& event);
  void ClickTick();
  void ExitTick();
  void CycleTick();
  // Minimise to tray.
  TCustomForm* OwnerForm() const;
  void InstallHooks();
  void RemoveHooks();
  bool ApplicationHook(TMessage& message);
  bool OwnerFilter(TMessage& message);
  bool TrySendToTray(TMessage& message);
  void StartupDecision();

  std::unique_ptr<TIcon> icon_;
  std::unique_ptr<TTrayMenuModel> menuModel_;
  std::uint32_t identity_ = 0;
  bool iconVisible_ = false;
  std::string hint_;
  bool showHint_ = true;
  TPopupMenu* popupMenu_ = nullptr;
  bool leftDownSeen_ = false;
  bool clickDue_ = false;
  std::unique_ptr<TSimpleTimer> cycleTicker_;
  std::unique_ptr<TSimpleTimer> clickTicker_;
  std::unique_ptr<TSimpleTimer> exitTicker_;
  TPoint lastPointerPos_;
  bool pointerOutside_ = true;
  bool wantEnterExitEvents_ = false;
  bool doubleClickSeen_ = false;
  int iconIndex_ = 0;
  bool designPreview_ = false;
  bool startupCheckPending_ = true;
  TCustomImageList* iconList_ = nullptr;
  bool cycleIcons_ = false;
  std::uint32_t cycleInterval_ = 0;
  bool hooked_ = false;
  TNotifyIconData notifyData_;
  // Cleared at destruction; an event handler that destroys the icon ends the callback.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zerka
