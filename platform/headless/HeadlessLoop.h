#pragma once
// Headless event loop, windows and timers on a virtual clock.
//
// Features: message windows, application/form/control windows as models (visibility,
// minimised state, text, check state, foreground), posted and sent messages, timers that fire
// in due order when the test advances the clock, a limit on timers to provoke "no timer left".
// Nothing here waits for real time.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "framework/Platform.h"

namespace zerka::headless {

enum class TWindowKind { Message, Application, Form, Control };

struct TWindowModel {
  TWindowKind Kind = TWindowKind::Message;
  TMessageHandler Handler;
  TWindowHandle Parent = 0;
  std::string Text;
  bool Visible = false;
  bool Iconic = false;
  bool Checked = false;
  TControlDesc Control;
  TFormDesc Form;
  // Labels: the field they name.
  TWindowHandle LabelFor = 0;
  // How often the text was written since the window was made.
  int TextWrites = 0;
};

class THeadlessLoop : public IEventLoopPort, public ITimerPort, public IWindowPort {
 public:
  // --- IEventLoopPort
  bool WaitAndDispatch() override;
  void DispatchPending() override;
  void PostQuit() override { quitPosted_ = true; }
  TWindowHandle CreateMessageWindow(TMessageHandler handler) override;
  void DestroyMessageWindow(TWindowHandle window) override { DestroyWindow(window); }
  bool PostWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) override;
  std::intptr_t SendWindowMessage(TWindowHandle window, std::uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) override;

  // --- ITimerPort
  bool SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) override;
  bool KillTimer(TWindowHandle window, std::uintptr_t id) override;

  // --- IWindowPort
  TWindowHandle CreateApplicationWindow(const std::string& title, TMessageHandler handler) override;
  TWindowHandle CreateFormWindow(const TFormDesc& desc, TMessageHandler handler) override;
  TWindowHandle CreateControl(TWindowHandle parent, const TControlDesc& desc,
                              TMessageHandler handler) override;
  void DestroyWindow(TWindowHandle window) override;
  void SetText(TWindowHandle window, const std::string& text) override;
  std::string GetText(TWindowHandle window) override;
  void SetChecked(TWindowHandle window, bool checked) override;
  bool GetChecked(TWindowHandle window) override;
  void SetEnabled(TWindowHandle window, bool enabled) override;
  void SetFocus(TWindowHandle window) override { focus_ = window; }
  void SetLabelFor(TWindowHandle label, TWindowHandle field) override;
  bool ShowWindow(TWindowHandle window, TShowCommand command) override;
  bool IsWindowVisible(TWindowHandle window) override;
  bool IsIconic(TWindowHandle window) override;
  bool SetForegroundWindow(TWindowHandle window) override;
  TWindowHandle GetForegroundWindow() override { return foreground_; }

  // --- for tests
  // Milliseconds since the platform was made.
  std::uint64_t Now() const { return now_; }
  // Moves the clock on, firing every timer that falls due on the way, in order of due time
  // (equal times in the order the timers were set), with the posted messages run in between.
  void Advance(std::uint64_t ms);
  // Dispatches posted messages until none is left.
  void RunUntilIdle() { DispatchPending(); }
  // When true, an idle WaitAndDispatch moves the clock to the next timer instead of ending.
  bool AutoAdvance = false;
  // How many timers may be set at once; further SetTimer calls fail.
  std::size_t TimerLimit = 10000;

  const TWindowModel* Window(TWindowHandle window) const;
  std::vector<TWindowHandle> Windows(TWindowKind kind) const;
  std::size_t TimerCount() const { return timers_.size(); }
  bool TimerSet(TWindowHandle window, std::uintptr_t id) const { return timers_.count({window, id}) != 0; }
  // Every SetForegroundWindow, in order.
  std::vector<TWindowHandle> ForegroundCalls;
  TWindowHandle Focus() const { return focus_; }

 private:
  struct TPosted {
    TWindowHandle Window;
    TMessage Message;
  };
  struct TTimerModel {
    std::uint32_t Interval;
    std::uint64_t Due;
    std::uint64_t Order;
  };

  TWindowHandle AddWindow(TWindowModel model);
  std::intptr_t Deliver(TWindowHandle window, TMessage message);
  std::intptr_t DefaultProcessing(TWindowHandle window, const TMessage& message);
  bool FireNextTimerUpTo(std::uint64_t limit);

  std::map<TWindowHandle, TWindowModel> windows_;
  TWindowHandle nextHandle_ = 0x100;
  std::deque<TPosted> queue_;
  std::map<std::pair<TWindowHandle, std::uintptr_t>, TTimerModel> timers_;
  std::uint64_t now_ = 0;
  std::uint64_t timerOrder_ = 0;
  bool quitPosted_ = false;
  TWindowHandle foreground_ = 0;
  TWindowHandle focus_ = 0;
};

}  // namespace zerka::headless
