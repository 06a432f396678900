#include "platform/qt/QtDesktop.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QLineEdit>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QPushButton>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

#include "platform/qt/QtAccessibility.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtWidgets.h"

namespace zerka::qt {
namespace {

// The system's shortest timer period, as a period of 0 would tick without pause.
constexpr std::uint32_t kShortestPeriodMs = 10;

const QEvent::Type kPostedMessages = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kPostedTask = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPostedMessages : public QEvent {
 public:
  TPostedMessages(TWindowHandle window, std::vector<TMessage> messages)
      : QEvent(kPostedMessages), Window(window), Messages(std::move(messages)) {}
  TWindowHandle Window;
  std::vector<TMessage> Messages;
};

class TPostedTask : public QEvent {
 public:
  explicit TPostedTask(std::function<void()> task) : QEvent(kPostedTask), Task(std::move(task)) {}
  std::function<void()> Task;
};

bool IsContainer(TControlKind kind) { return kind == TControlKind::Panel || kind == TControlKind::GroupBox; }

}  // namespace

// Carries posted messages and timer ticks to the windows they name.
class TQtDesktop::TDispatcher : public QObject {
 public:
  explicit TDispatcher(TQtDesktop& desktop) : desktop_(desktop) {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() == kPostedTask) {
      desktop_.RunTask(static_cast<TPostedTask*>(event)->Task);
      return true;
    }
    if (event->type() != kPostedMessages) return QObject::event(event);
    const auto* posted = static_cast<TPostedMessages*>(event);
    desktop_.DeliverPosted(posted->Window, posted->Messages);
    return true;
  }
  void timerEvent(QTimerEvent* event) override { desktop_.TimerFired(event->timerId()); }
  // The session manager's final word (and any other request that the application quit) comes
  // as a Quit event to the application. Qt would close every window, and a form asks before
  // it closes; a session that ends asks nothing.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance()) return false;
    desktop_.EndSession();
    desktop_.PostQuit();
    return true;
  }

 private:
  TQtDesktop& desktop_;
};

TQtDesktop::TQtDesktop() : dispatcher_(std::make_unique<TDispatcher>(*this)) {
  InstallAccessibleRoles();
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) return;
  application->installEventFilter(dispatcher_.get());
#ifndef QT_NO_SESSIONMANAGER
  if (auto* gui = qobject_cast<QGuiApplication*>(application)) {
    // Log-off asks first; it may still be cancelled, so the program keeps running.
    QObject::connect(gui, &QGuiApplication::commitDataRequest, dispatcher_.get(),
                     [this](QSessionManager&) { EndSession(); });
  }
#endif
}

TQtDesktop::~TQtDesktop() {
  for (auto& [handle, window] : windows_) {
    if (window.Kind == TQtWindowKind::Form && window.Widget) delete window.Widget.data();
  }
  for (const QPointer<QWidget>& widget : buried_) delete widget.data();
}

// --- the loop

bool TQtDesktop::WaitAndDispatch() {
  if (std::exchange(quitPosted_, false)) return false;
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  AfterDispatch();
  return !std::exchange(quitPosted_, false);
}

void TQtDesktop::DispatchPending() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  AfterDispatch();
}

void TQtDesktop::AfterDispatch() {
  if (qtDepth_ == 0) {
    for (const QPointer<QWidget>& widget : std::exchange(buried_, {})) delete widget.data();
  }
  if (pending_ && qtDepth_ == 0) std::rethrow_exception(std::exchange(pending_, nullptr));
}

void TQtDesktop::EndSession() {
  std::vector<TWindowHandle> topLevel = WindowsOfKind(TQtWindowKind::Application);
  for (TWindowHandle form : WindowsOfKind(TQtWindowKind::Form)) topLevel.push_back(form);
  for (TWindowHandle window : topLevel) {
    TMessage ending{msg::EndSession, 1, 0, 0};
    DeliverFromQt(window, ending);
  }
}

void TQtDesktop::PostQuit() {
  quitPosted_ = true;
  if (QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance()) loop->wakeUp();
}

TWindowHandle TQtDesktop::Add(TQtWindow window) {
  const TWindowHandle handle = nextHandle_++;
  windows_.emplace(handle, std::move(window));
  return handle;
}

TWindowHandle TQtDesktop::CreateMessageWindow(TMessageHandler handler) {
  TQtWindow window;
  window.Handler = std::move(handler);
  return Add(std::move(window));
}

bool TQtDesktop::PostWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  return PostWindowMessages(window, {TMessage{message, wParam, lParam, 0}});
}

bool TQtDesktop::PostWindowMessages(TWindowHandle window, std::vector<TMessage> messages) {
  if (!windows_.count(window)) return false;
  QCoreApplication::postEvent(dispatcher_.get(), new TPostedMessages(window, std::move(messages)));
  return true;
}

std::intptr_t TQtDesktop::SendWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                            std::intptr_t lParam) {
  TMessage sent{message, wParam, lParam, 0};
  if (!windows_.count(window)) return 0;
  if (!Deliver(window, sent)) DefaultProcessing(window, sent);
  return sent.Result;
}

bool TQtDesktop::Deliver(TWindowHandle window, TMessage& message) {
  const auto found = windows_.find(window);
  if (found == windows_.end() || !found->second.Handler) return false;
  // The handler may destroy its own window while it runs.
  const TMessageHandler handler = found->second.Handler;
  return handler(message);
}

bool TQtDesktop::DeliverFromQt(TWindowHandle window, TMessage& message) {
  ++qtDepth_;
  bool handled = false;
  try {
    handled = Deliver(window, message);
    if (!handled) DefaultProcessing(window, message);
  } catch (...) {
    if (!pending_) pending_ = std::current_exception();
    handled = true;
  }
  --qtDepth_;
  return handled;
}

void TQtDesktop::PostTask(std::function<void()> task) {
  QCoreApplication::postEvent(dispatcher_.get(), new TPostedTask(std::move(task)));
}

void TQtDesktop::RunTask(const std::function<void()>& task) {
  ++qtDepth_;
  try {
    task();
  } catch (...) {
    if (!pending_) pending_ = std::current_exception();
  }
  --qtDepth_;
}

void TQtDesktop::DeliverPosted(TWindowHandle window, const std::vector<TMessage>& messages) {
  for (TMessage message : messages) {
    if (!windows_.count(window)) return;
    DeliverFromQt(window, message);
  }
}

void TQtDesktop::DefaultProcessing(TWindowHandle window, const TMessage& message) {
  // What the system does with a message that a window leaves to it.
  if (message.Msg != msg::SysCommand) return;
  if (message.WParam == sys_command::Minimize) ShowWindow(window, TShowCommand::Minimize);
  if (message.WParam == sys_command::Restore) ShowWindow(window, TShowCommand::Restore);
  if (message.WParam == sys_command::Close) SendWindowMessage(window, msg::Close, 0, 0);
}

// --- timers

bool TQtDesktop::SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) {
  if (!windows_.count(window)) return false;
  KillTimer(window, id);
  const int period = static_cast<int>(std::clamp<std::uint32_t>(intervalMs, kShortestPeriodMs, INT32_MAX));
  const int qtTimer = dispatcher_->startTimer(period, Qt::PreciseTimer);
  if (qtTimer == 0) return false;
  timers_[{window, id}] = qtTimer;
  timerOwners_[qtTimer] = {window, id};
  return true;
}

bool TQtDesktop::KillTimer(TWindowHandle window, std::uintptr_t id) {
  const auto found = timers_.find({window, id});
  if (found == timers_.end()) return false;
  dispatcher_->killTimer(found->second);
  timerOwners_.erase(found->second);
  timers_.erase(found);
  return true;
}

void TQtDesktop::TimerFired(int qtTimer) {
  const auto found = timerOwners_.find(qtTimer);
  if (found == timerOwners_.end()) return;
  const auto [window, id] = found->second;
  TMessage tick{msg::Timer, id, 0, 0};
  DeliverFromQt(window, tick);
}

// --- windows

TWindowHandle TQtDesktop::CreateApplicationWindow(const std::string& title, TMessageHandler handler) {
  TQtWindow window;
  window.Kind = TQtWindowKind::Application;
  window.Handler = std::move(handler);
  window.Text = title;
  window.Visible = true;
  return Add(std::move(window));
}

TWindowHandle TQtDesktop::CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) {
  TQtWindow window;
  window.Kind = TQtWindowKind::Form;
  window.Handler = std::move(handler);
  window.Form = desc;
  window.Text = desc.Caption;
  return Add(std::move(window));
}

TWindowHandle TQtDesktop::CreateControl(TWindowHandle parent, const TControlDesc& desc, TMessageHandler handler) {
  const TQtWindow* parentWindow = Find(parent);
  if (!parentWindow || (parentWindow->Kind != TQtWindowKind::Form && parentWindow->Kind != TQtWindowKind::Control)) {
    return 0;
  }
  TQtWindow window;
  window.Kind = TQtWindowKind::Control;
  window.Handler = std::move(handler);
  window.Parent = parent;
  window.Control = desc;
  window.Text = desc.Text;
  const TWindowHandle handle = Add(std::move(window));
  // A control joining a form that is already built gets its widget at once.
  if (WidgetOf(parent)) {
    BuildControl(handle);
    UpdateTabOrder(FormOf(handle));
  }
  return handle;
}

void TQtDesktop::BuildForm(TWindowHandle form) {
  TQtWindow& held = windows_.at(form);
  if (held.Widget) return;
  TFormDesc desc = held.Form;
  desc.Caption = held.Text;
  held.Widget = MakeFormWidget(desc, *this, form);
  // Handles grow, so a container is built before the controls it holds.
  for (const auto& [handle, window] : windows_) {
    if (window.Kind == TQtWindowKind::Control && FormOf(handle) == form) BuildControl(handle);
  }
  UpdateTabOrder(form);
  for (const auto& [handle, window] : windows_) {
    if (window.LabelFor && FormOf(handle) == form) ApplyLabel(handle);
  }
  if (QWidget* focused = WidgetOf(std::exchange(held.Focus, 0))) focused->setFocus(Qt::OtherFocusReason);
}

void TQtDesktop::SetLabelFor(TWindowHandle label, TWindowHandle field) {
  const auto found = windows_.find(label);
  if (found == windows_.end() || found->second.Control.Kind != TControlKind::Label || !Find(field)) return;
  found->second.LabelFor = field;
  ApplyLabel(label);
}

void TQtDesktop::ApplyLabel(TWindowHandle label) {
  const TQtWindow& held = windows_.at(label);
  const TQtWindow* field = Find(held.LabelFor);
  auto* caption = qobject_cast<QLabel*>(held.Widget.data());
  if (!caption || !field || !field->Widget) return;
  NameFieldByLabel(caption, field->Widget, field->Edit);
}

void TQtDesktop::BuildControl(TWindowHandle control) {
  TQtWindow& held = windows_.at(control);
  QWidget* parent = WidgetOf(held.Parent);
  if (held.Widget || !parent) return;
  TControlDesc desc = held.Control;
  desc.Text = held.Text;
  const TControlWidgets made = MakeControlWidget(parent, desc, *this, control);
  held.Widget = made.Outer;
  held.Edit = made.Edit;
  if (auto* button = qobject_cast<QAbstractButton*>(made.Outer); button && button->isCheckable()) {
    button->setChecked(held.Checked);
  }
  if (held.Hidden) made.Outer->hide();
}

void TQtDesktop::DestroyWindow(TWindowHandle window) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return;
  if (QWidget* widget = found->second.Widget) {
    widget->hide();
    // A widget must not go while Qt is still inside one of its events.
    if (qtDepth_ > 0) {
      buried_.emplace_back(widget);
    } else {
      delete widget;
    }
  }
  windows_.erase(found);
  std::vector<std::uintptr_t> ids;
  for (const auto& [key, qtTimer] : timers_) {
    if (key.first == window) ids.push_back(key.second);
  }
  for (const std::uintptr_t id : ids) KillTimer(window, id);
}

void TQtDesktop::SetText(TWindowHandle window, const std::string& text) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return;
  TQtWindow& held = found->second;
  switch (held.Kind) {
    case TQtWindowKind::Application:
      held.Text = text;
      break;
    case TQtWindowKind::Form:
      if (held.Widget) {
        held.Widget->setWindowTitle(ToQString(text));
      } else {
        held.Text = text;
      }
      break;
    case TQtWindowKind::Control:
      if (held.Widget) {
        SetControlText(held.Widget, held.Edit, held.Control.Kind, text);
      } else {
        held.Text = text;
      }
      break;
    case TQtWindowKind::Message:
      break;
  }
}

std::string TQtDesktop::GetText(TWindowHandle window) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return {};
  const TQtWindow& held = found->second;
  switch (held.Kind) {
    case TQtWindowKind::Application:
      return held.Text;
    case TQtWindowKind::Form:
      return held.Widget ? FromQString(held.Widget->windowTitle()) : held.Text;
    case TQtWindowKind::Control:
      return held.Widget ? ControlText(held.Widget, held.Edit, held.Control.Kind) : held.Text;
    case TQtWindowKind::Message:
      break;
  }
  return {};
}

void TQtDesktop::SetChecked(TWindowHandle window, bool checked) {
  const auto found = windows_.find(window);
  if (found == windows_.end() || found->second.Kind != TQtWindowKind::Control) return;
  TQtWindow& held = found->second;
  if (!held.Widget) {
    if (held.Control.Kind == TControlKind::CheckBox) held.Checked = checked;
  } else if (auto* button = qobject_cast<QAbstractButton*>(held.Widget.data()); button && button->isCheckable()) {
    button->setChecked(checked);
  }
}

bool TQtDesktop::GetChecked(TWindowHandle window) {
  const TQtWindow* held = Find(window);
  if (!held || held->Kind != TQtWindowKind::Control) return false;
  if (!held->Widget) return held->Control.Kind == TControlKind::CheckBox && held->Checked;
  const auto* button = qobject_cast<QAbstractButton*>(held->Widget.data());
  return button && button->isCheckable() && button->isChecked();
}

void TQtDesktop::SetEnabled(TWindowHandle window, bool enabled) {
  const auto found = windows_.find(window);
  if (found == windows_.end() || found->second.Kind != TQtWindowKind::Control) return;
  found->second.Control.Enabled = enabled;
  if (QWidget* widget = found->second.Widget) widget->setEnabled(enabled);
}

void TQtDesktop::SetFocus(TWindowHandle window) {
  if (QWidget* widget = WidgetOf(window)) {
    widget->setFocus(Qt::OtherFocusReason);
    return;
  }
  const TQtWindow* held = Find(window);
  if (!held || held->Kind != TQtWindowKind::Control) return;
  if (const auto form = windows_.find(FormOf(window)); form != windows_.end()) form->second.Focus = window;
}

bool TQtDesktop::ShowWindow(TWindowHandle window, TShowCommand command) {
  const TQtWindow* held = Find(window);
  if (!held) return false;
  switch (held->Kind) {
    case TQtWindowKind::Application:
      return ShowApplicationWindow(window, command);
    case TQtWindowKind::Form:
      return ShowForm(window, command);
    case TQtWindowKind::Control: {
      TQtWindow& control = windows_.at(window);
      const bool wasVisible = control.Widget && control.Widget->isVisible();
      if (control.Widget) {
        control.Widget->setVisible(command != TShowCommand::Hide);
      } else {
        control.Hidden = command == TShowCommand::Hide;
      }
      return wasVisible;
    }
    case TQtWindowKind::Message:
      break;
  }
  return false;
}

bool TQtDesktop::ShowApplicationWindow(TWindowHandle window, TShowCommand command) {
  TQtWindow& held = windows_.at(window);
  const bool wasVisible = held.Visible;
  const bool wasIconic = held.Iconic;
  const bool minimise = command == TShowCommand::Minimize || command == TShowCommand::ShowMinimized;
  held.Visible = command != TShowCommand::Hide;
  if (minimise) held.Iconic = true;
  if (command == TShowCommand::ShowNormal || command == TShowCommand::Restore) held.Iconic = false;
  const bool nowIconic = held.Iconic;
  // The window may be gone after any of these messages.
  if (held.Visible != wasVisible) SendWindowMessage(window, msg::ShowWindow, held.Visible ? 1 : 0, 0);
  if (nowIconic == wasIconic) return wasVisible;
  SendWindowMessage(window, msg::Size, nowIconic ? size_kind::Minimized : size_kind::Restored, 0);
  // The application's forms follow it, as they would its taskbar button.
  for (const TWindowHandle form : WindowsOfKind(TQtWindowKind::Form)) {
    const TQtWindow* formWindow = Find(form);
    if (!formWindow || !formWindow->Widget || !formWindow->Widget->isVisible()) continue;
    if (nowIconic && !formWindow->Iconic) ShowForm(form, TShowCommand::Minimize);
    if (!nowIconic && formWindow->Iconic) ShowForm(form, TShowCommand::Restore);
  }
  return wasVisible;
}

bool TQtDesktop::ShowForm(TWindowHandle form, TShowCommand command) {
  TQtWindow& held = windows_.at(form);
  // Hiding a form that was never shown changes nothing.
  if (!held.Widget && command == TShowCommand::Hide) return false;
  BuildForm(form);
  QWidget* widget = held.Widget;
  if (!widget) return false;
  const bool wasVisible = widget->isVisible();
  const bool wasIconic = held.Iconic;
  if (command == TShowCommand::Hide && wasVisible && hideGuard_ && hideGuard_(form)) command = TShowCommand::Minimize;
  switch (command) {
    case TShowCommand::Hide:
      widget->hide();
      break;
    case TShowCommand::ShowMinimized:
    case TShowCommand::Minimize:
      held.Iconic = true;
      widget->showMinimized();
      break;
    case TShowCommand::ShowNormal:
    case TShowCommand::ShowMaximized:
    case TShowCommand::Restore:
      held.Iconic = false;
      widget->showNormal();
      break;
    case TShowCommand::Show:
      widget->show();
      break;
  }
  const bool nowVisible = widget->isVisible();
  const bool nowIconic = held.Iconic;
  if (nowVisible && !nowIconic) {
    // A form coming back brings its application back from the taskbar.
    for (const TWindowHandle application : WindowsOfKind(TQtWindowKind::Application)) {
      if (IsIconic(application)) ShowApplicationWindow(application, TShowCommand::Restore);
    }
  }
  if (nowVisible != wasVisible) SendWindowMessage(form, msg::ShowWindow, nowVisible ? 1 : 0, 0);
  if (nowIconic != wasIconic) {
    SendWindowMessage(form, msg::Size, nowIconic ? size_kind::Minimized : size_kind::Restored, 0);
  }
  return wasVisible;
}

void TQtDesktop::FormStateChanged(TWindowHandle form, bool minimised) {
  const TQtWindow* held = Find(form);
  if (!held || held->Iconic == minimised) return;
  TMessage command{msg::SysCommand, minimised ? sys_command::Minimize : sys_command::Restore, 0, 0};
  DeliverFromQt(form, command);
}

bool TQtDesktop::IsWindowVisible(TWindowHandle window) {
  const TQtWindow* held = Find(window);
  if (!held) return false;
  if (held->Kind == TQtWindowKind::Application) return held->Visible;
  return held->Widget && held->Widget->isVisible();
}

bool TQtDesktop::IsIconic(TWindowHandle window) {
  const TQtWindow* held = Find(window);
  return held && held->Iconic;
}

bool TQtDesktop::SetForegroundWindow(TWindowHandle window) {
  const TQtWindow* held = Find(window);
  if (!held) return false;
  if (held->Kind == TQtWindowKind::Form && held->Widget) {
    held->Widget->raise();
    held->Widget->activateWindow();
  }
  return true;
}

TWindowHandle TQtDesktop::GetForegroundWindow() {
  const QWidget* active = QApplication::activeWindow();
  for (const auto& [handle, window] : windows_) {
    if (active && window.Kind == TQtWindowKind::Form && window.Widget == active) return handle;
  }
  return 0;
}

// --- for the rest of the platform

const TQtWindow* TQtDesktop::Find(TWindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

QWidget* TQtDesktop::WidgetOf(TWindowHandle window) const {
  const TQtWindow* held = Find(window);
  return held ? held->Widget.data() : nullptr;
}

std::vector<TWindowHandle> TQtDesktop::WindowsOfKind(TQtWindowKind kind) const {
  std::vector<TWindowHandle> found;
  for (const auto& [handle, window] : windows_) {
    if (window.Kind == kind) found.push_back(handle);
  }
  return found;
}

TWindowHandle TQtDesktop::FormOf(TWindowHandle control) const {
  const TQtWindow* held = Find(control);
  while (held && held->Kind == TQtWindowKind::Control) {
    control = held->Parent;
    held = Find(control);
  }
  return held && held->Kind == TQtWindowKind::Form ? control : 0;
}

bool TQtDesktop::PressFormButton(TWindowHandle form, bool cancel) {
  for (const auto& [handle, window] : windows_) {
    if (window.Kind != TQtWindowKind::Control || window.Control.Kind != TControlKind::Button) continue;
    if (!(cancel ? window.Control.Cancel : window.Control.Default) || FormOf(handle) != form) continue;
    auto* button = qobject_cast<QPushButton*>(window.Widget.data());
    if (!button || !button->isEnabled()) return false;
    button->click();
    return true;
  }
  return false;
}

bool TQtDesktop::MoveFocus(TWindowHandle form, bool next) {
  std::vector<QWidget*> stops;
  for (QWidget* widget : TabWidgets(form)) {
    if (widget->isEnabled() && widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus)) stops.push_back(widget);
  }
  if (stops.empty()) return false;
  const QWidget* focused = QApplication::focusWidget();
  const auto at = std::find(stops.begin(), stops.end(), focused);
  std::size_t index = 0;
  if (at == stops.end()) {
    index = next ? 0 : stops.size() - 1;
  } else {
    const auto current = static_cast<std::size_t>(at - stops.begin());
    index = next ? (current + 1) % stops.size() : (current + stops.size() - 1) % stops.size();
  }
  stops[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void TQtDesktop::UpdateTabOrder(TWindowHandle form) {
  const std::vector<QWidget*> sequence = TabWidgets(form);
  for (std::size_t i = 1; i < sequence.size(); ++i) QWidget::setTabOrder(sequence[i - 1], sequence[i]);
}

std::vector<QWidget*> TQtDesktop::TabWidgets(TWindowHandle form) const {
  // Siblings by tab order; a container's controls come right after the container's place.
  std::vector<QWidget*> sequence;
  if (!form) return sequence;
  const auto append = [&](auto&& self, TWindowHandle parent) -> void {
    std::vector<std::pair<int, TWindowHandle>> children;
    for (const auto& [handle, window] : windows_) {
      if (window.Kind == TQtWindowKind::Control && window.Parent == parent && window.Control.TabOrder >= 0) {
        children.emplace_back(window.Control.TabOrder, handle);
      }
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [order, handle] : children) {
      const TQtWindow& child = windows_.at(handle);
      if (IsContainer(child.Control.Kind)) {
        self(self, handle);
      } else if (QWidget* focusable = child.Edit ? child.Edit.data() : child.Widget.data()) {
        sequence.push_back(focusable);
      }
    }
  };
  append(append, form);
  return sequence;
}

}  // namespace zerka::qt
