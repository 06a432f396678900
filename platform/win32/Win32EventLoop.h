#pragma once
// The thread's message loop, hidden message windows and window timers.

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32EventLoop final : public IEventLoopPort, public ITimerPort {
 public:
  bool WaitAndDispatch() override;
  void DispatchPending() override;
  void PostQuit() override;
  TWindowHandle CreateMessageWindow(TMessageHandler handler) override;
  void DestroyMessageWindow(TWindowHandle window) override;
  bool PostWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) override;
  std::intptr_t SendWindowMessage(TWindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override;

  bool SetTimer(TWindowHandle window, std::uintptr_t id, std::uint32_t intervalMs) override;
  bool KillTimer(TWindowHandle window, std::uintptr_t id) override;
};

}  // namespace zerka::win32
