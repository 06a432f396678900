#pragma once
// Event loop, timers and windows on Qt Widgets.
//
// Features:
//  [x] the loop: QCoreApplication::processEvents, waiting for more; a posted quit ends it;
//      modal loops (message boxes, menus) are Qt's own and keep every message flowing
//  [x] message windows without any widget: one dispatcher object carries posted messages
//      and timer ticks to the handler of the window they name, so a message for a window
//      that is gone finds nothing and is dropped
//  [x] timers with the caller's id on any window (precise Qt timers, at least 10 ms apart)
//  [x] the application window as a model (visible, minimised): it has no face of its own,
//      each form carries its own taskbar entry
//  [x] forms and controls as widgets at their pixel positions (QtWidgets.cpp); visibility
//      and minimising with msg::ShowWindow and msg::Size before ShowWindow returns; the
//      title bar's minimise and close as msg::SysCommand and msg::Close
//  [x] a form's widgets are built when it is first shown: a tray program whose window stays
//      hidden never loads the font stack. Until then the records below hold what the
//      widgets would (texts, check state, hidden controls, the focused control)
//  [x] Enter presses the focused or the default button, Escape the cancel button; Tab and
//      Shift+Tab go round the tab order as a ring, a container's controls right after it
//  [x] each label is its field's buddy and gives it its accessible name (QtAccessibility.cpp)
//  [x] an exception escaping a handler that Qt called is held and raised again once the
//      loop has returned to us, never thrown through Qt
//  [x] the session's end (the session manager's commit-data request; a Quit event to the
//      application) reaches the top-level windows as msg::EndSession; a Quit then ends the
//      loop without closing any form, so nothing is asked
//  [x] a guard that the rest of the platform may set keeps a form that is to be hidden on
//      screen, minimised as an ordinary window (when hiding would leave it out of reach)
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/Platform.h"

class QLineEdit;

namespace zerka::qt {

enum class TQtWindowKind { Message, Application, Form, Control };

struct TQtWindow {
  TQtWindowKind Kind = TQtWindowKind::Message;
  TMessageHandler Handler;
  TWindowHandle Parent = 0;
  // Forms and controls: the outermost widget; the line edit of the edit kinds. Empty until
  // the form is first shown.
  QPointer<QWidget> Widget;
  QPointer<QLineEdit> Edit;
  TFormDesc Form;
  TControlDesc Control;
  // What the widget holds once it exists (the user edits it there); until then ours. The
  // application window has no widget and keeps its title and state here for good.
  std::string Text;
  bool Checked = false;
  bool Hidden = false;
  TWindowHandle Focus = 0;  // a form's control to focus when it is built
  TWindowHandle LabelFor = 0;  // a label's field
  bool Visible = false;
  bool Iconic = false;
};

class TQtDesktop : public IEventLoopPort, public ITimerPort, public IWindowPort {
 public:
  TQtDesktop();
  ~TQtDesktop() override;
  TQtDesktop(const TQtDesktop&) = delete;
  TQtDesktop& operator=(const TQtDesktop&) = delete;

  // --- IEventLoopPort
  bool WaitAndDispatch() override;
  void DispatchPending() override;
  void PostQuit() override;
  TWindowHandle CreateMessageWindow(TMessageHandler handler) override;
  void DestroyMessageWindow(TWindowHandle window) override { DestroyWindow(window); }
  bool PostWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) override;
  std::intptr_t SendWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override;

  // --- ITimerPort
  bool SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) override;
  bool KillTimer(TWindowHandle window, std::uintptr_t id) override;

  // --- IWindowPort
  TWindowHandle CreateApplicationWindow(const std::string& title, TMessageHandler handler) override;
  TWindowHandle CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) override;
  TWindowHandle CreateControl(TWindowHandle parent, const TControlDesc& desc, TMessageHandler handler) override;
  void DestroyWindow(TWindowHandle window) override;
  void SetText(TWindowHandle window, const std::string& text) override;
  std::string GetText(TWindowHandle window) override;
  void SetChecked(TWindowHandle window, bool checked) override;
  bool GetChecked(TWindowHandle window) override;
  void SetEnabled(TWindowHandle window, bool enabled) override;
  void SetFocus(TWindowHandle window) override;
  void SetLabelFor(TWindowHandle label, TWindowHandle field) override;
  bool ShowWindow(TWindowHandle window, TShowCommand command) override;
  bool IsWindowVisible(TWindowHandle window) override;
  bool IsIconic(TWindowHandle window) override;
  bool SetForegroundWindow(TWindowHandle window) override;
  TWindowHandle GetForegroundWindow() override;

  // --- for the rest of the platform
  const TQtWindow* Find(TWindowHandle window) const;
  QWidget* WidgetOf(TWindowHandle window) const;
  std::vector<TWindowHandle> WindowsOfKind(TQtWindowKind kind) const;
  // Queues messages that are handed to the window one after the other, each once the one
  // before has been handled (a click's press and release, say).
  bool PostWindowMessages(TWindowHandle window, std::vector<TMessage> messages);
  // Queues work of the platform's own to run from the loop, as a handler that Qt called.
  void PostTask(std::function<void()> task);
  // Asked before a shown form is hidden; true minimises it instead. Empty: none.
  void SetHideGuard(std::function<bool(TWindowHandle form)> guard) { hideGuard_ = std::move(guard); }
  // A message that Qt raised (a click, a key, a title-bar button): the handler, then the
  // default processing; true when the handler took it.
  bool DeliverFromQt(TWindowHandle window, TMessage& message);
  // The window manager minimised or restored a form.
  void FormStateChanged(TWindowHandle form, bool minimised);
  // Enter or Escape reached the form: presses its default or cancel button.
  bool PressFormButton(TWindowHandle form, bool cancel);
  // Tab or Shift+Tab in a form: the focus goes to the next or previous control that can take
  // it, from the last to the first and back; false when none can.
  bool MoveFocus(TWindowHandle form, bool next);
  // The user's session ends: the application window and every form get msg::EndSession, as
  // top-level windows do at log-off or shutdown.
  void EndSession();

 private:
  class TDispatcher;
  friend class TDispatcher;

  TWindowHandle Add(TQtWindow window);
  bool Deliver(TWindowHandle window, TMessage& message);
  void DefaultProcessing(TWindowHandle window, const TMessage& message);
  void TimerFired(int qtTimer);
  void DeliverPosted(TWindowHandle window, const std::vector<TMessage>& messages);
  void RunTask(const std::function<void()>& task);
  bool ShowForm(TWindowHandle form, TShowCommand command);
  void BuildForm(TWindowHandle form);
  void BuildControl(TWindowHandle control);
  bool ShowApplicationWindow(TWindowHandle window, TShowCommand command);
  TWindowHandle FormOf(TWindowHandle control) const;
  void UpdateTabOrder(TWindowHandle form);
  std::vector<QWidget*> TabWidgets(TWindowHandle form) const;
  void ApplyLabel(TWindowHandle label);
  void AfterDispatch();

  std::unique_ptr<TDispatcher> dispatcher_;
  std::map<TWindowHandle, TQtWindow> windows_;
  TWindowHandle nextHandle_ = 0x100;
  std::map<std::pair<TWindowHandle, std::uintptr_t>, int> timers_;
  std::map<int, std::pair<TWindowHandle, std::uintptr_t>> timerOwners_;
  bool quitPosted_ = false;
  // Depth of handlers running on behalf of Qt; widgets destroyed meanwhile wait until it is 0.
  int qtDepth_ = 0;
  std::vector<QPointer<QWidget>> buried_;
  std::exception_ptr pending_;
  std::function<bool(TWindowHandle)> hideGuard_;
};

}  // namespace zerka::qt
