// zerka2ctl watch as a program in a pipe: its reader going away, stop signals during a poll,
// time stamps.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <regex>
#include <sstream>

#include "sim/SimServer.h"
#include "tools/Zerka2Ctl.h"

#ifndef _WIN32
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zerka {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class StopAfterPolls : public IntervalWait {
 public:
  explicit StopAfterPolls(int polls) : left_(polls) {}
  bool StopRequestedWithin(std::chrono::milliseconds) override { return --left_ <= 0; }

 private:
  int left_;
};

class WatchProgram : public ::testing::Test {
 protected:
  WatchProgram() {
    sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.0.0.1", 3600s, 120s); });
  }

  sim::SimServer sim;
};

}  // namespace

TEST_F(WatchProgram, TimestampsPutAnIsoTimeBeforeEachLine) {
  const std::string port = std::to_string(sim.RemotePort());
  std::ostringstream out, err;
  StopAfterPolls once(1);
  RunZerka2Ctl({"-p", port, "watch", "--timestamps"}, out, err, once);
  const std::regex stamped(R"((\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d [^\n]*\n){4})");
  EXPECT_TRUE(std::regex_match(out.str(), stamped)) << out.str();

  out.str("");
  StopAfterPolls again(1);
  RunZerka2Ctl({"-p", port, "watch", "--timestamps", "--json"}, out, err, again);
  EXPECT_TRUE(std::regex_search(
      out.str(), std::regex(R"(^\{"time": "\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d", "connections": )")))
      << out.str();
}

#ifndef _WIN32
namespace {

// The built program with its standard output and error on pipes.
struct Child {
  pid_t pid = -1;
  int out = -1;
  int err = -1;

  explicit Child(const std::vector<std::string>& args) {
    int outEnds[2], errEnds[2];
    if (pipe(outEnds) != 0 || pipe(errEnds) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(outEnds[1], STDOUT_FILENO);
      dup2(errEnds[1], STDERR_FILENO);
      for (const int end : {outEnds[0], outEnds[1], errEnds[0], errEnds[1]}) close(end);
      std::vector<char*> argv{const_cast<char*>("zerka2ctl")};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(ZERKA2CTL_PATH, argv.data());
      _exit(127);
    }
    close(outEnds[1]);
    close(errEnds[1]);
    out = outEnds[0];
    err = errEnds[0];
  }
  ~Child() {
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out >= 0) close(out);
    if (err >= 0) close(err);
  }

  // Reads from fd until done says so; false when the bound passes first.
  static bool ReadUntil(int fd, std::string& received, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + 5s;
    while (!done() && Clock::now() < deadline) {
      pollfd readable{fd, POLLIN, 0};
      if (poll(&readable, 1, 50) <= 0) continue;
      char buffer[512];
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count <= 0) break;
      received.append(buffer, static_cast<std::size_t>(count));
    }
    return done();
  }

  // The exit status once the program has ended within bound; -1 otherwise.
  int ExitWithin(std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    int status = 0;
    while (Clock::now() < deadline) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      poll(nullptr, 0, 5);
    }
    return -1;
  }
};

}  // namespace

// As in `zerka2ctl watch | head -n 1`: the line state does not change, so watch writes
// nothing more, and must still notice.
TEST_F(WatchProgram, EndsAtOnceAndQuietlyWhenItsReaderGoes) {
  Child child({"-p", std::to_string(sim.RemotePort()), "watch", "--interval", "100"});
  ASSERT_GT(child.pid, 0);
  std::string received;
  ASSERT_TRUE(Child::ReadUntil(child.out, received, [&] { return received.find('\n') != std::string::npos; }));
  close(child.out);
  child.out = -1;
  EXPECT_EQ(child.ExitWithin(2000ms), 0);
  std::string errors;
  Child::ReadUntil(child.err, errors, [] { return false; });
  EXPECT_EQ(errors, "");
}

TEST_F(WatchProgram, ASignalDuringAPollEndsItWithinASecond) {
  sim.SetStreamFault(sim::StreamFault::NeverAnswer);
  Child child({"-p", std::to_string(sim.RemotePort()), "watch"});
  ASSERT_GT(child.pid, 0);
  ASSERT_TRUE(sim.WaitForTraffic([](const sim::Traffic& t) { return t.streamRequests >= 1; }, 5s));
  const auto start = Clock::now();
  kill(child.pid, SIGTERM);
  EXPECT_EQ(child.ExitWithin(1000ms), 0);
  EXPECT_LE(Clock::now() - start, 1000ms);
  std::string output;
  Child::ReadUntil(child.out, output, [] { return false; });
  EXPECT_EQ(output, "");
}
#endif

}  // namespace zerka
