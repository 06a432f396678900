#pragma once
// A top-level window as a model object, realised by a platform peer. The first form created
// becomes the application's main form; closing the main form ends the program.

#include <string>
#include <utility>
#include <vector>

#include "base/Component.h"
#include "framework/Application.h"
#include "framework/Events.h"

namespace zerka {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;

class TCustomForm : public TComponent {
 public:
  explicit TCustomForm(TComponent* AOwner, TFormDesc desc = {});
  ~TCustomForm() override;

  // The platform window, made on first use.
  TWindowHandle Handle();
  bool HandleAllocated() const { return handle_ != 0; }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show();
  void Hide() { SetVisible(false); }
  // A close request: OnClose decides; the main form's close ends the program.
  void Close();
  virtual bool IsMdiFrame() const { return false; }

  // Filters see the form's messages before the form does; true consumes the message.
  void AddMessageFilter(const void* key, TWindowHook filter);
  void RemoveMessageFilter(const void* key);

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;

 protected:
  // The form's own message handling, after the filters; false for default processing.
  virtual bool WndProc(TMessage& message);

 private:
  bool Dispatch(TMessage& message);

  TFormDesc desc_;
  TWindowHandle handle_ = 0;
  bool visible_ = false;
  std::vector<std::pair<const void*, TWindowHook>> filters_;
};

}  // namespace zerka
