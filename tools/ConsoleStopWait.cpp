#include "tools/IntervalWait.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <ctime>
#endif

namespace zerka {
namespace {

#ifdef _WIN32

// The console's control handler runs on a thread of its own; it only sets the event that the
// program's one thread waits on.
HANDLE stopEvent = nullptr;

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
  SetEvent(stopEvent);
  return TRUE;
}

class ConsoleStopWait : public IntervalWait {
 public:
  ConsoleStopWait() {
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  }
  ~ConsoleStopWait() override {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    CloseHandle(stopEvent);
    stopEvent = nullptr;
  }

  bool StopRequestedWithin(std::chrono::milliseconds interval) override {
    if (!stopEvent) {  // no event to wait on: still keep the interval
      Sleep(static_cast<DWORD>(interval.count()));
      return false;
    }
    return WaitForSingleObject(stopEvent, static_cast<DWORD>(interval.count())) == WAIT_OBJECT_0;
  }
};

#else

// The stop signals stay blocked while the watch runs and are taken only inside the wait, so
// one that arrives during a poll is neither lost nor able to break a socket call.
class ConsoleStopWait : public IntervalWait {
 public:
  ConsoleStopWait() {
    sigemptyset(&stopSignals_);
    sigaddset(&stopSignals_, SIGINT);
    sigaddset(&stopSignals_, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals_, &previousMask_);
  }
  ~ConsoleStopWait() override { sigprocmask(SIG_SETMASK, &previousMask_, nullptr); }

  bool StopRequestedWithin(std::chrono::milliseconds interval) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + interval;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
      const auto wait = left.count() > 0 ? left : std::chrono::nanoseconds(0);
      const timespec span{static_cast<time_t>(wait.count() / 1000000000),
                          static_cast<long>(wait.count() % 1000000000)};
      if (sigtimedwait(&stopSignals_, nullptr, &span) >= 0) return true;
      if (errno != EINTR || left.count() <= 0) return false;
    }
  }

 private:
  sigset_t stopSignals_;
  sigset_t previousMask_;
};

#endif

}  // namespace

std::unique_ptr<IntervalWait> MakeConsoleStopWait() { return std::make_unique<ConsoleStopWait>(); }

}  // namespace zerka
