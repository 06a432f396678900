#include <windows.h>

#include "tools/IntervalWait.h"

namespace zerka {
namespace {

// A poll may wait up to the read time-out for a silent server; a stop does not wait that long.
constexpr DWORD StopGraceMs = 500;

// The console's control handler runs on a thread of its own: it sets the event that the
// program's thread waits on, and ends the program itself when that thread is in a poll.
HANDLE stopEvent = nullptr;
HANDLE waitingEvent = nullptr;  // set while the program's thread is in the pause
volatile LONG stopsAsked = 0;

// Ends without the runtime's clean-up, which could wait for a lock the polling thread holds;
// every line written so far has been flushed.
void EndNow() { TerminateProcess(GetCurrentProcess(), 0); }

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
  if (InterlockedIncrement(&stopsAsked) > 1) EndNow();
  SetEvent(stopEvent);
  if (WaitForSingleObject(waitingEvent, StopGraceMs) != WAIT_OBJECT_0) EndNow();
  return TRUE;
}

class ConsoleStopWait : public IntervalWait {
 public:
  ConsoleStopWait() {
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    waitingEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    stopsAsked = 0;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  }
  ~ConsoleStopWait() override {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    CloseHandle(stopEvent);
    CloseHandle(waitingEvent);
    stopEvent = nullptr;
    waitingEvent = nullptr;
  }

  bool StopRequestedWithin(std::chrono::milliseconds interval) override {
    if (!stopEvent || !waitingEvent) {  // no event to wait on: still keep the interval
      Sleep(static_cast<DWORD>(interval.count()));
      return false;
    }
    SetEvent(waitingEvent);
    const bool stop =
        WaitForSingleObject(stopEvent, static_cast<DWORD>(interval.count())) == WAIT_OBJECT_0;
    if (!stop) ResetEvent(waitingEvent);
    return stop || stopsAsked != 0;
  }

  bool StopPending() override { return stopsAsked != 0; }
};

}  // namespace

std::unique_ptr<IntervalWait> MakeConsoleStopWait() { return std::make_unique<ConsoleStopWait>(); }

}  // namespace zerka
