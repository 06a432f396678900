// zerka2ctl for scripts and monitoring systems: status --json, watch and check against
// zerka-sim.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>

#include "base/Latin1.h"
#include "sim/SimServer.h"
#include "sim/SimSocket.h"
#include "tools/MonitoringCheck.h"
#include "tools/StatusJson.h"
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

struct Outcome {
  int exitStatus = -1;
  std::string out;
  std::string err;
  std::chrono::milliseconds took{};
};

std::string Console(const std::string& latin1) {
#ifdef _WIN32
  return latin1;
#else
  return Latin1ToUtf8(latin1);
#endif
}

// Stands in for the console's stop request: each pause runs the next step of the script,
// and the watch ends once the script is done.
class ScriptedWait : public IntervalWait {
 public:
  explicit ScriptedWait(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {}

  bool StopRequestedWithin(std::chrono::milliseconds interval) override {
    intervals.push_back(interval);
    if (next_ == steps_.size()) return true;
    steps_[next_++]();
    return false;
  }

  std::vector<std::chrono::milliseconds> intervals;

 private:
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
};

class Zerka2CtlModes : public ::testing::Test {
 protected:
  Zerka2CtlModes() : clock(std::make_shared<sim::ManualClock>()), sim(Options()) {
    sim.WithLine([](sim::LineModel& line) {
      line.SetConnected("10.0.0.1", 3600s, 120s);
      line.SetConnections(3);
    });
  }

  sim::ServerOptions Options() {
    sim::ServerOptions options;
    options.clock = clock;
    return options;
  }

  Outcome Run(std::vector<std::string> command, std::uint16_t port = 0) {
    std::vector<std::string> args{"--port", std::to_string(port ? port : sim.RemotePort())};
    args.insert(args.end(), command.begin(), command.end());
    std::ostringstream out, err;
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    outcome.exitStatus = wait ? RunZerka2Ctl(args, out, err, *wait) : RunZerka2Ctl(args, out, err);
    outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
  }

  // The plugin line without its performance data.
  std::string CheckText(std::vector<std::string> command) {
    const std::string out = Run(std::move(command)).out;
    return out.substr(0, out.find(" | "));
  }

  std::shared_ptr<sim::ManualClock> clock;
  sim::SimServer sim;
  IntervalWait* wait = nullptr;
};

const std::string HealthyJson =
    "{\"connections\": 3, \"line_state\": 1, \"line_text\": \"Verbunden\", \"lock_state\": 0, "
    "\"lock_text\": \"DF\xC3\x9C nicht gesperrt\", \"seconds_until_hangup\": 120, "
    "\"dialup_address\": \"10.0.0.1\", \"online_seconds\": 3600}\n";

}  // namespace

TEST_F(Zerka2CtlModes, StatusJsonIsOneUtf8ObjectAndAFailureAnErrorObject) {
  Outcome outcome = Run({"status", "--json"});
  EXPECT_EQ(outcome.out, HealthyJson);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, 0);

  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Wartung");
  outcome = Run({"status", "--json"});
  EXPECT_EQ(outcome.out.rfind("{\"connections\": 0, \"line_state\": 1,", 0), 0u) << outcome.out;
  EXPECT_EQ(outcome.err, "Wartung\n");

  sim.Stop();
  outcome = Run({"status", "--json"});
  EXPECT_EQ(outcome.out, "{\"error\": \"Socket-Fehler # 10061\\r\\nVerbindung abgelehnt.\"}\n");
  EXPECT_EQ(outcome.err, "Socket-Fehler # 10061\nVerbindung abgelehnt.\n");
  EXPECT_EQ(outcome.exitStatus, 2);
}

TEST(StatusJson, EscapesEveryControlCharacterQuoteAndBackslash) {
  EXPECT_EQ(JsonString("a\"b\\c\r\n\t\b\f\x01\x1F\x7F\x85 \xE4\xFF"),
            "\"a\\\"b\\\\c\\r\\n\\t\\b\\f\\u0001\\u001f\\u007f\\u0085 \xC3\xA4\xC3\xBF\"");
}

TEST_F(Zerka2CtlModes, CheckReportsEachLineStateWithItsExitStatus) {
  Outcome outcome = Run({"check"});
  EXPECT_EQ(outcome.out, Console("ZERKA OK - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00 "
                                 "| connections=3 online=3600s hangup=120s\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckOk);
  EXPECT_EQ(outcome.err, "");

  EXPECT_EQ(CheckText({"check", "--warning-hangup", "120"}).rfind("ZERKA OK - ", 0), 0u);
  outcome = Run({"check", "--warning-hangup", "121"});
  EXPECT_EQ(outcome.exitStatus, CheckWarning);
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find(" | ")),
            Console("ZERKA WARNING - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00, "
                    "Zeit bis Auflegen 0:02:00"_l1));

  sim.WithLine([](sim::LineModel& line) { line.SetNotConnected(); });
  EXPECT_EQ(CheckText({"check"}), Console("ZERKA OK - Nicht verbunden, DFÜ nicht gesperrt"_l1));
  sim.WithLine([](sim::LineModel& line) { line.SetDialling(); });
  EXPECT_EQ(CheckText({"check"}), Console("ZERKA OK - Anwahl, DFÜ nicht gesperrt"_l1));

  sim.WithLine([](sim::LineModel& line) { line.SetAttemptFailed(); });
  EXPECT_EQ(CheckText({"check"}),
            Console("ZERKA WARNING - Verbindungsaufbau gescheitert, DFÜ nicht gesperrt"_l1));
  EXPECT_EQ(Run({"check"}).exitStatus, CheckWarning);
  outcome = Run({"check", "--critical-failed"});
  EXPECT_EQ(outcome.out.rfind("ZERKA CRITICAL - Verbindungsaufbau gescheitert", 0), 0u);
  EXPECT_EQ(outcome.exitStatus, CheckCritical);

  sim.WithLine([](sim::LineModel& line) { line.SetLocked(true); });
  EXPECT_EQ(CheckText({"check"}), Console("ZERKA WARNING - DFÜ gesperrt, DFÜ gesperrt"_l1));
  EXPECT_EQ(Run({"check"}).exitStatus, CheckWarning);
}

TEST_F(Zerka2CtlModes, CheckIsCriticalWithoutAnAnswerAndWarnsOfAServerMessage) {
  sim.SetDatagramFault(sim::DatagramFault::Silent);
  Outcome outcome = Run({"check"});
  EXPECT_EQ(outcome.out, Console("ZERKA CRITICAL - keine gültige Antwort auf die Abfrage des "
                                 "DFÜ-Status | connections=3 online=3600s hangup=120s\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckCritical);
  EXPECT_LE(outcome.took, 5000ms);

  sim.SetDatagramFault(sim::DatagramFault::None);
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Wartung | bis\r\n12 Uhr");
  outcome = Run({"check"});
  EXPECT_EQ(outcome.out, Console("ZERKA WARNING - Verbunden, DFÜ nicht gesperrt, Meldung des "
                                 "Servers: Wartung / bis 12 Uhr\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckWarning);

  sim.Stop();
  outcome = Run({"check"});
  EXPECT_EQ(outcome.out, "ZERKA CRITICAL - Socket-Fehler # 10061 Verbindung abgelehnt.\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, CheckCritical);
}

TEST(MonitoringCheck, StatesOutsideTheTablesAreUnknown) {
  PollResult poll;
  poll.Status = ServerStatus{3, 7, 0, 120, "10.0.0.1", 60};
  EXPECT_EQ(EvaluateCheck(poll, {}).Line,
            "ZERKA UNKNOWN - unbekannter DFÜ-Status 7 | connections=3 online=60s hangup=120s"_l1);
  poll.Status = ServerStatus{3, 1, 2, 120, "10.0.0.1", 60};
  const CheckResult result = EvaluateCheck(poll, {});
  EXPECT_EQ(result.ExitStatus, CheckUnknown);
  EXPECT_EQ(result.Line.rfind("ZERKA UNKNOWN - unbekannter Sperr-Status 2 |", 0), 0u);
}

TEST_F(Zerka2CtlModes, ABadCheckCommandLineIsUnknownOnStandardOutputToo) {
  const Outcome outcome = Run({"check", "--timeout", "1"});
  EXPECT_EQ(outcome.out, "ZERKA UNKNOWN - " + Console("ungültige Zeitgrenze (Sekunden, mindestens 2): 1\n"_l1));
  EXPECT_NE(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, CheckUnknown);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 0u);
}

// A monitoring system kills a plugin that outlives its own limit, which then shows UNKNOWN
// instead of the CRITICAL the server deserves.
TEST_F(Zerka2CtlModes, CheckEndsWithinItsBoundAgainstASilentServer) {
  sim.SetStreamFault(sim::StreamFault::NeverAnswer);
  Outcome outcome = Run({"check"});
  EXPECT_EQ(outcome.out.rfind("ZERKA CRITICAL - TCP-Fehler: Socket-Fehler # 10060", 0), 0u)
      << outcome.out;
  EXPECT_EQ(outcome.exitStatus, CheckCritical);
  EXPECT_LE(outcome.took, 5000ms);

  sim::SocketSystem sockets;
  const sim::Socket neverAccepts = sim::Socket::OpenTcpListener(sim::Endpoint::Parse("127.0.0.1", 0));
  outcome = Run({"check", "--timeout", "2"}, neverAccepts.LocalEndpoint().port);
  EXPECT_EQ(outcome.out.rfind("ZERKA CRITICAL - TCP-Fehler: Socket-Fehler # 10060", 0), 0u)
      << outcome.out;
  EXPECT_LE(outcome.took, 2000ms);
}

TEST_F(Zerka2CtlModes, WatchPrintsOnATextChangeAndAnErrorOnceAtEachEnd) {
  ScriptedWait script({
      [&] { clock->Advance(10s); },                                    // numbers only
      [&] { sim.SetStreamFault(sim::StreamFault::CloseAfterType); },   // fails
      [] {},                                                           // still failing
      [&] { sim.SetStreamFault(sim::StreamFault::None); },             // back
      [&] { sim.WithLine([](sim::LineModel& line) { line.SetLocked(true); }); },
  });
  wait = &script;
  const Outcome outcome = Run({"watch", "--interval", "250"});
  EXPECT_EQ(outcome.out, Console("Status: Verbunden (DFÜ nicht gesperrt)\n"
                                 "Zeit bis Auflegen: 0:02:00\nIP: 10.0.0.1\nOnlinezeit: 1:00:00\n"
                                 "wieder erreichbar\n"
                                 "Status: Verbunden (DFÜ nicht gesperrt)\n"
                                 "Zeit bis Auflegen: 0:01:50\nIP: 10.0.0.1\nOnlinezeit: 1:00:10\n"
                                 "Status: DFÜ gesperrt (DFÜ gesperrt)\n"
                                 "Zeit bis Auflegen: 0:01:50\nIP: 10.0.0.1\nOnlinezeit: 1:00:10\n"_l1));
  EXPECT_EQ(outcome.err, "TCP-Fehler: Die Verbindung wurde erfolgreich geschlossen.\n");
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(script.intervals, std::vector<std::chrono::milliseconds>(6, 250ms));
}

TEST_F(Zerka2CtlModes, WatchJsonPrintsEveryChangeAndErrorObjects) {
  ScriptedWait script({
      [&] { clock->Advance(1s); },
      [] {},
      [&] { sim.Stop(); },
  });
  wait = &script;
  const Outcome outcome = Run({"watch", "--json"});
  EXPECT_EQ(outcome.out,
            HealthyJson +
                "{\"connections\": 3, \"line_state\": 1, \"line_text\": \"Verbunden\", "
                "\"lock_state\": 0, \"lock_text\": \"DF\xC3\x9C nicht gesperrt\", "
                "\"seconds_until_hangup\": 119, \"dialup_address\": \"10.0.0.1\", "
                "\"online_seconds\": 3601}\n"
                "{\"error\": \"Socket-Fehler # 10061\\r\\nVerbindung abgelehnt.\"}\n");
  EXPECT_EQ(script.intervals.front(), 1000ms);
}

#ifndef _WIN32
// The program itself under a stop signal, its output read through a pipe line by line.
TEST_F(Zerka2CtlModes, WatchEndsOnSigtermWithStatusZeroAndFlushesEachLine) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const std::string port = std::to_string(sim.RemotePort());
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    execl(ZERKA2CTL_PATH, "zerka2ctl", "--port", port.c_str(), "watch", "--interval", "50",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  // Reads until the text has arrived or the pipe has ended; false when 5 s pass first.
  std::string received;
  bool ended = false;
  const auto readUntil = [&](const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done() && !ended && std::chrono::steady_clock::now() < deadline) {
      pollfd readable{pipeEnds[0], POLLIN, 0};
      if (poll(&readable, 1, 100) <= 0) continue;
      char buffer[512];
      const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
      if (count <= 0) ended = true;
      if (count > 0) received.append(buffer, static_cast<std::size_t>(count));
    }
    return done();
  };
  EXPECT_TRUE(readUntil([&] { return received.find("Onlinezeit: ") != std::string::npos; }));
  kill(child, SIGTERM);
  if (!readUntil([&] { return ended; })) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipeEnds[0]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(received.rfind(Console("Status: Verbunden (DFÜ nicht gesperrt)\n"_l1), 0), 0u);
}
#endif

}  // namespace zerka
