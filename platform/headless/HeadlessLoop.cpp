#include "platform/headless/HeadlessLoop.h"

#include <algorithm>
#include <limits>

namespace zerka::headless {

bool THeadlessLoop::WaitAndDispatch() {
  for (;;) {
    if (quitPosted_) {
      quitPosted_ = false;
      return false;
    }
    if (!queue_.empty()) {
      TPosted posted = queue_.front();
      queue_.pop_front();
      Deliver(posted.Window, posted.Message);
      return true;
    }
    if (!AutoAdvance || timers_.empty()) return false;
    if (FireNextTimerUpTo(std::numeric_limits<std::uint64_t>::max())) return true;
  }
}

void THeadlessLoop::DispatchPending() {
  while (!queue_.empty() && !quitPosted_) {
    TPosted posted = queue_.front();
    queue_.pop_front();
    Deliver(posted.Window, posted.Message);
  }
}

TWindowHandle THeadlessLoop::AddWindow(TWindowModel model) {
  const TWindowHandle handle = nextHandle_++;
  windows_.emplace(handle, std::move(model));
  return handle;
}

TWindowHandle THeadlessLoop::CreateMessageWindow(TMessageHandler handler) {
  TWindowModel model;
  model.Handler = std::move(handler);
  return AddWindow(std::move(model));
}

TWindowHandle THeadlessLoop::CreateApplicationWindow(const std::string& title, TMessageHandler handler) {
  TWindowModel model;
  model.Kind = TWindowKind::Application;
  model.Handler = std::move(handler);
  model.Text = title;
  // The application window carries the taskbar button from the start.
  model.Visible = true;
  return AddWindow(std::move(model));
}

TWindowHandle THeadlessLoop::CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) {
  TWindowModel model;
  model.Kind = TWindowKind::Form;
  model.Handler = std::move(handler);
  model.Text = desc.Caption;
  model.Form = desc;
  return AddWindow(std::move(model));
}

TWindowHandle THeadlessLoop::CreateControl(TWindowHandle parent, const TControlDesc& desc,
                                           TMessageHandler handler) {
  TWindowModel model;
  model.Kind = TWindowKind::Control;
  model.Handler = std::move(handler);
  model.Parent = parent;
  model.Text = desc.Text;
  model.Control = desc;
  model.Visible = true;
  return AddWindow(std::move(model));
}

void THeadlessLoop::DestroyWindow(TWindowHandle window) {
  if (windows_.erase(window) == 0) return;
  std::erase_if(queue_, [window](const TPosted& posted) { return posted.Window == window; });
  std::erase_if(timers_, [window](const auto& entry) { return entry.first.first == window; });
  if (foreground_ == window) foreground_ = 0;
  if (focus_ == window) focus_ = 0;
}

bool THeadlessLoop::PostWindowMessage(TWindowHandle window, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) {
  if (!windows_.count(window)) return false;
  queue_.push_back({window, TMessage{message, wParam, lParam, 0}});
  return true;
}

std::intptr_t THeadlessLoop::SendWindowMessage(TWindowHandle window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
  return Deliver(window, TMessage{message, wParam, lParam, 0});
}

std::intptr_t THeadlessLoop::Deliver(TWindowHandle window, TMessage message) {
  const auto found = windows_.find(window);
  if (found == windows_.end() || !found->second.Handler) return 0;
  // The handler may destroy its own window while it runs.
  const TMessageHandler handler = found->second.Handler;
  if (handler(message)) return message.Result;
  return DefaultProcessing(window, message);
}

std::intptr_t THeadlessLoop::DefaultProcessing(TWindowHandle window, const TMessage& message) {
  // What the system does with a message that a window leaves to it.
  if (message.Msg == msg::SysCommand) {
    if (message.WParam == sys_command::Minimize) ShowWindow(window, TShowCommand::Minimize);
    if (message.WParam == sys_command::Restore) ShowWindow(window, TShowCommand::Restore);
    if (message.WParam == sys_command::Close) SendWindowMessage(window, msg::Close, 0, 0);
  }
  return 0;
}

bool THeadlessLoop::SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) {
  if (!windows_.count(window)) return false;
  const auto key = std::make_pair(window, id);
  if (!timers_.count(key) && timers_.size() >= TimerLimit) return false;
  timers_[key] = TTimerModel{intervalMs, now_ + intervalMs, timerOrder_++};
  return true;
}

bool THeadlessLoop::KillTimer(TWindowHandle window, std::uintptr_t id) {
  return timers_.erase({window, id}) != 0;
}

bool THeadlessLoop::FireNextTimerUpTo(std::uint64_t limit) {
  auto next = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.Due > limit) continue;
    if (next == timers_.end() || it->second.Due < next->second.Due ||
        (it->second.Due == next->second.Due && it->second.Order < next->second.Order)) {
      next = it;
    }
  }
  if (next == timers_.end()) return false;
  const auto [window, id] = next->first;
  now_ = std::max(now_, next->second.Due);
  // A period of 0 would fire for ever at one instant; the system gives it a minimum.
  next->second.Due = now_ + std::max<std::uint32_t>(next->second.Interval, 1);
  next->second.Order = timerOrder_++;
  Deliver(window, TMessage{msg::Timer, id, 0, 0});
  DispatchPending();
  return true;
}

void THeadlessLoop::Advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  DispatchPending();
  while (FireNextTimerUpTo(target)) {
  }
  now_ = target;
}

void THeadlessLoop::SetText(TWindowHandle window, const std::string& text) {
  if (auto found = windows_.find(window); found != windows_.end()) {
    found->second.Text = text;
    ++found->second.TextWrites;
  }
}

void THeadlessLoop::SetLabelFor(TWindowHandle label, TWindowHandle field) {
  if (auto found = windows_.find(label); found != windows_.end()) found->second.LabelFor = field;
}

std::string THeadlessLoop::GetText(TWindowHandle window) {
  const auto found = windows_.find(window);
  return found == windows_.end() ? std::string() : found->second.Text;
}

void THeadlessLoop::SetChecked(TWindowHandle window, bool checked) {
  if (auto found = windows_.find(window); found != windows_.end()) found->second.Checked = checked;
}

bool THeadlessLoop::GetChecked(TWindowHandle window) {
  const auto found = windows_.find(window);
  return found != windows_.end() && found->second.Checked;
}

void THeadlessLoop::SetEnabled(TWindowHandle window, bool enabled) {
  if (auto found = windows_.find(window); found != windows_.end()) found->second.Control.Enabled = enabled;
}

bool THeadlessLoop::ShowWindow(TWindowHandle window, TShowCommand command) {
  auto found = windows_.find(window);
  if (found == windows_.end()) return false;
  TWindowModel& model = found->second;
  const bool wasVisible = model.Visible;
  const bool wasIconic = model.Iconic;
  switch (command) {
    case TShowCommand::Hide:
      model.Visible = false;
      break;
    case TShowCommand::ShowMinimized:
    case TShowCommand::Minimize:
      model.Visible = true;
      model.Iconic = true;
      break;
    case TShowCommand::ShowNormal:
    case TShowCommand::ShowMaximized:
    case TShowCommand::Restore:
      model.Visible = true;
      model.Iconic = false;
      break;
    case TShowCommand::Show:
      model.Visible = true;
      break;
  }
  const bool nowVisible = model.Visible;
  const bool nowIconic = model.Iconic;
  // The model may be gone after any of these messages.
  if (nowVisible != wasVisible) SendWindowMessage(window, msg::ShowWindow, nowVisible ? 1 : 0, 0);
  if (nowIconic != wasIconic) {
    SendWindowMessage(window, msg::Size, nowIconic ? size_kind::Minimized : size_kind::Restored, 0);
  }
  return wasVisible;
}

bool THeadlessLoop::IsWindowVisible(TWindowHandle window) {
  const auto found = windows_.find(window);
  return found != windows_.end() && found->second.Visible;
}

bool THeadlessLoop::IsIconic(TWindowHandle window) {
  const auto found = windows_.find(window);
  return found != windows_.end() && found->second.Iconic;
}

bool THeadlessLoop::SetForegroundWindow(TWindowHandle window) {
  ForegroundCalls.push_back(window);
  if (!windows_.count(window)) return false;
  foreground_ = window;
  return true;
}

const TWindowModel* THeadlessLoop::Window(TWindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

std::vector<TWindowHandle> THeadlessLoop::Windows(TWindowKind kind) const {
  std::vector<TWindowHandle> result;
  for (const auto& [handle, model] : windows_) {
    if (model.Kind == kind) result.push_back(handle);
  }
  return result;
}

}  // namespace zerka::headless
