#include <fcntl.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "tools/IntervalWait.h"

namespace zerka {
namespace {

// A poll may wait up to the read time-out for a silent server; a stop does not wait that long.
constexpr suseconds_t StopGraceMicroseconds = 500000;

volatile std::sig_atomic_t stopsAsked = 0;
volatile std::sig_atomic_t waiting = 0;
int wakeWrite = -1;

extern "C" void OnStopOverdue(int) { _exit(0); }

// Only async-signal-safe calls: a second stop, and a first that finds a poll running, end the
// program from here.
extern "C" void OnStop(int) {
  if (stopsAsked) _exit(0);
  stopsAsked = 1;
  const int saved = errno;
  if (wakeWrite >= 0) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
  }
  if (!waiting) {
    const itimerval grace{{0, 0}, {0, StopGraceMicroseconds}};
    setitimer(ITIMER_REAL, &grace, nullptr);
  }
  errno = saved;
}

class ConsoleStopWait : public IntervalWait {
 public:
  ConsoleStopWait() {
    if (pipe(wake_) == 0) {
      for (const int end : wake_) fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
      wakeWrite = wake_[1];
    }
    stopsAsked = 0;
    Install(SIGINT, OnStop, previousInt_);
    Install(SIGTERM, OnStop, previousTerm_);
    Install(SIGALRM, OnStopOverdue, previousAlarm_);
  }

  ~ConsoleStopWait() override {
    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGALRM, &previousAlarm_, nullptr);
    wakeWrite = -1;
    for (const int end : wake_) {
      if (end >= 0) close(end);
    }
  }

  bool StopRequestedWithin(std::chrono::milliseconds interval) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + interval;
    waiting = 1;
    for (;;) {
      if (stopsAsked) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) break;
      // Standard output is watched for no event: a pipe whose reader has gone still reports
      // POLLERR, a terminal that has gone POLLHUP.
      pollfd watched[2] = {{wake_[0], POLLIN, 0}, {STDOUT_FILENO, 0, 0}};
      const int ready = poll(watched, 2, static_cast<int>(left.count()));
      if (ready > 0 && (watched[1].revents & (POLLERR | POLLHUP))) return true;
      if (ready < 0 && errno != EINTR) break;
    }
    waiting = 0;
    return stopsAsked != 0;
  }

  bool StopPending() override { return stopsAsked != 0; }

 private:
  static void Install(int signal, void (*handler)(int), struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, &previous);
  }

  int wake_[2] = {-1, -1};
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
  struct sigaction previousAlarm_ {};
};

}  // namespace

std::unique_ptr<IntervalWait> MakeConsoleStopWait() { return std::make_unique<ConsoleStopWait>(); }

}  // namespace zerka
