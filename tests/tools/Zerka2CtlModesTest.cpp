// zerka2ctl for scripts and monitoring systems: status --json, watch and check against
// zerka-sim.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>

#include "base/Latin1.h"
#include "sim/SimServer.h"
#include "sim/SimSocket.h"
#include "tests/tools/CtlRun.h"
#include "tools/ConsoleText.h"
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
using std::chrono::milliseconds;

std::string Console(const std::string& latin1) { return Latin1ToUtf8(latin1); }

// Stands in for the console's stop request: each pause runs the next step, and the watch
// ends once all have run.
class ScriptedWait : public IntervalWait {
 public:
  explicit ScriptedWait(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {}
  bool StopRequestedWithin(milliseconds interval) override {
    intervals.push_back(interval);
    if (intervals.size() > steps_.size()) return true;
    steps_[intervals.size() - 1]();
    return false;
  }
  std::vector<milliseconds> intervals;

 private:
  std::vector<std::function<void()>> steps_;
};

class Zerka2CtlModes : public ::testing::Test {
 protected:
  Zerka2CtlModes() : sim(Options()) {
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

  Outcome Run(std::vector<std::string> command, std::uint16_t port = 0,
              IntervalWait* wait = nullptr) {
    std::vector<std::string> args{"--port", std::to_string(port ? port : sim.RemotePort())};
    args.insert(args.end(), command.begin(), command.end());
    return RunCaptured(args, wait);
  }

  std::string At(std::uint16_t port = 0) const {
    return "127.0.0.1:" + std::to_string(port ? port : sim.RemotePort()) + ": ";
  }

  std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
  sim::SimServer sim;
};

const std::string HealthyJson =
    "{\"connections\": 3, \"line_state\": 1, \"line_text\": \"Verbunden\", \"lock_state\": 0, "
    "\"lock_text\": \"DF\xC3\x9C nicht gesperrt\", \"seconds_until_hangup\": 120, "
    "\"dialup_address\": \"10.0.0.1\", \"online_seconds\": 3600}\n";

}  // namespace

// The Zabbix agent reads both streams through one pipe: whatever happens, it reads one object.
TEST_F(Zerka2CtlModes, StatusJsonIsTheOneDocumentInTheMergedStreams) {
  const auto merged = [&](const std::vector<std::string>& args) {
    std::ostringstream both;
    const int exitStatus = RunZerka2Ctl(args, both, both);
    return std::make_pair(exitStatus, both.str());
  };
  const std::string port = std::to_string(sim.RemotePort());
  EXPECT_EQ(merged({"-p", port, "status", "--json"}), std::make_pair(0, HealthyJson));

  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Hallo");
  const auto message = merged({"-p", port, "status", "--json"});
  EXPECT_EQ(message.first, 0);
  EXPECT_TRUE(message.second.starts_with("{\"connections\": null, ") &&
              message.second.ends_with(", \"message\": \"Hallo\"}\n"))
      << message.second;

  EXPECT_EQ(merged({"status", "--json", "-p", "99999"}),
            std::make_pair(3, Console("{\"error\": \"zerka2ctl: ungültiger Port (1 bis 65535): "
                                      "99999\"}\n"_l1)));

  sim.Stop();
  EXPECT_EQ(merged({"-p", port, "status", "--json"}),
            std::make_pair(2, "{\"error\": \"" + At() +
                                  "Socket-Fehler # 10061\\r\\nVerbindung abgelehnt.\"}\n"));
}

TEST(StatusJson, EscapesEveryControlCharacterQuoteAndBackslash) {
  EXPECT_EQ(JsonString("a\"b\\c\r\n\t\b\f\x01\x1F\x7F\x85 \xE4\xFF"),
            "\"a\\\"b\\\\c\\r\\n\\t\\b\\f\\u0001\\u001f\\u007f\\u0085 \xC3\xA4\xC3\xBF\"");
}

// Reports in UTF-8 (they name the host as typed): C1 in its UTF-8 form is escaped too, and a
// byte that starts no character is replaced, never passed on.
TEST(StatusJson, ReportsInUtf8KeepTheirCharactersAndLoseTheirControls) {
  EXPECT_EQ(JsonUtf8String("\xC2\x9B" "2J\xFF\xE2\x82\xAC\xCE\xB5"), "\"\\u009b2J\\ufffd\xE2\x82\xAC\xCE\xB5\"");
  EXPECT_EQ(ConsoleUtf8("\xC2\x9B" "2J\xFF\xE2\x82\xAC\r\n\xCE"), "?2J?\xE2\x82\xAC\n?");
}

TEST_F(Zerka2CtlModes, CheckGivesEachLineStateItsLineAndExitStatus) {
  Outcome outcome = Run({"check"});
  EXPECT_EQ(outcome.out, Console("ZERKA OK - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00 "
                                 "| connections=3;;;0 online=3600s;;;0 hangup=120s;;;0\n"_l1));
  EXPECT_EQ(outcome.err, "");

  struct Case {
    std::function<void(sim::LineModel&)> state;
    std::vector<std::string> options;
    std::string text;  // without the performance data
    int exitStatus;
  };
  const auto connected = [](sim::LineModel&) {};
  const std::vector<Case> cases = {
      {connected, {}, "ZERKA OK - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00", CheckOk},
      {connected, {"--warning-hangup", "120"}, "ZERKA OK - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00", CheckOk},
      {connected, {"--warning-hangup", "121"}, "ZERKA WARNING - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00, Zeit bis Auflegen 0:02:00", CheckWarning},
      {[](sim::LineModel& l) { l.SetNotConnected(); }, {}, "ZERKA OK - Nicht verbunden, DFÜ nicht gesperrt", CheckOk},
      {[](sim::LineModel& l) { l.SetDialling(); }, {}, "ZERKA OK - Anwahl, DFÜ nicht gesperrt", CheckOk},
      {[](sim::LineModel& l) { l.SetAttemptFailed(); }, {}, "ZERKA WARNING - Verbindungsaufbau gescheitert, DFÜ nicht gesperrt", CheckWarning},
      {[](sim::LineModel& l) { l.SetAttemptFailed(); }, {"--critical-failed"}, "ZERKA CRITICAL - Verbindungsaufbau gescheitert, DFÜ nicht gesperrt", CheckCritical},
      {[](sim::LineModel& l) { l.SetLocked(true); }, {}, "ZERKA WARNING - DFÜ gesperrt, DFÜ gesperrt", CheckWarning},
  };
  for (const Case& c : cases) {
    sim.WithLine(c.state);
    std::vector<std::string> command{"check"};
    command.insert(command.end(), c.options.begin(), c.options.end());
    outcome = Run(command);
    EXPECT_EQ(outcome.out.substr(0, outcome.out.find(" | ")), Console(Utf8ToLatin1(c.text))) << c.text;
    EXPECT_EQ(outcome.exitStatus, c.exitStatus) << c.text;
  }
}

// A line that is not connected has no time until hang-up: no value to cross the thresholds,
// and a gap rather than a drop to 0 in the graph.
TEST_F(Zerka2CtlModes, CheckGivesNoHangupTimeWhileNotConnected) {
  sim.WithLine([](sim::LineModel& line) { line.SetNotConnected(); });
  const Outcome outcome = Run({"check", "-w", "60:", "-c", "30:"});
  EXPECT_EQ(outcome.out.substr(outcome.out.find(" | ")),
            " | connections=3;;;0 online=0s;;;0 hangup=U;60:;30:;0\n");
  EXPECT_EQ(outcome.exitStatus, CheckOk);
}

TEST_F(Zerka2CtlModes, CheckIsCriticalWithoutAnAnswerAndWarnsOfAServerMessage) {
  sim.SetDatagramFault(sim::DatagramFault::Silent);
  Outcome outcome = Run({"check"});
  EXPECT_EQ(outcome.out, Console("ZERKA CRITICAL - keine gültige Antwort auf die Abfrage des "
                                 "DFÜ-Status | connections=3;;;0 online=3600s;;;0 hangup=U;;;0\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckCritical);

  sim.SetDatagramFault(sim::DatagramFault::None);
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Wartung | bis\r\n12 Uhr");
  outcome = Run({"check"});
  EXPECT_EQ(outcome.out, Console("ZERKA WARNING - Verbunden, DFÜ nicht gesperrt, Meldung des "
                                 "Servers: Wartung / bis 12 Uhr\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckWarning);

  sim.Stop();
  outcome = Run({"check"});
  EXPECT_EQ(outcome.out, "ZERKA CRITICAL - " + At() + "Socket-Fehler # 10061 Verbindung abgelehnt.\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, CheckCritical);

  outcome = Run({"check", "--timeout", "1"});
  EXPECT_EQ(outcome.out, Console("ZERKA UNKNOWN - ungültige Zeitgrenze (Sekunden, mindestens 2): 1\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckUnknown);
}

TEST(MonitoringCheck, StatesOutsideTheTablesAreUnknown) {
  PollResult poll;
  poll.Status = ServerStatus{3, 7, 0, 120, "10.0.0.1", 60};
  EXPECT_EQ(EvaluateCheck(poll, {}).Line,
            "ZERKA UNKNOWN - unbekannter DFÜ-Status 7 | connections=3;;;0 online=60s;;;0 hangup=U;;;0");
  poll.Status->LineState = 1;
  poll.Status->LockState = 2;
  const CheckResult result = EvaluateCheck(poll, {});
  EXPECT_EQ(result.ExitStatus, CheckUnknown);
  EXPECT_EQ(result.Line.rfind("ZERKA UNKNOWN - unbekannter Sperr-Status 2 |", 0), 0u);
}

// A monitoring system kills a plugin that outlives its limit and shows UNKNOWN instead of the
// CRITICAL the server deserves. The datagram side of such a server is covered above (Silent).
TEST_F(Zerka2CtlModes, CheckEndsWithinItsBoundAgainstASilentServer) {
  sim.SetStreamFault(sim::StreamFault::NeverAnswer);
  Outcome outcome = Run({"check"});
  const std::string noAnswer = "Keine Antwort: Der Server hat die Verbindung angenommen, den "
                               "Leitungsstatus aber nicht rechtzeitig geschickt (Socket-Fehler # 10060).\n";
  EXPECT_EQ(outcome.out, "ZERKA CRITICAL - " + At() + noAnswer);
  EXPECT_LE(outcome.took, 5000ms);

  sim::SocketSystem sockets;
  const sim::Socket neverAccepts = sim::Socket::OpenTcpListener(sim::Endpoint::Parse("127.0.0.1", 0));
  outcome = Run({"check", "--timeout", "2"}, neverAccepts.LocalEndpoint().port);
  EXPECT_EQ(outcome.out, "ZERKA CRITICAL - " + At(neverAccepts.LocalEndpoint().port) + noAnswer);
  EXPECT_LE(outcome.took, 2000ms);
}

TEST_F(Zerka2CtlModes, WatchPrintsOnATextChangeAndAnErrorOnceAtEachEnd) {
  ScriptedWait script({
      [&] { clock->Advance(10s); },  // the numbers alone change
      [&] { sim.SetStreamFault(sim::StreamFault::CloseAfterType); },
      [] {},
      [&] { sim.SetStreamFault(sim::StreamFault::None); },
      [&] { sim.WithLine([](sim::LineModel& line) { line.SetLocked(true); }); },
  });
  const Outcome outcome = Run({"watch", "--interval", "250"}, 0, &script);
  const std::string later = "Zeit bis Auflegen: 0:01:50\nIP: 10.0.0.1\nOnlinezeit: 1:00:10\n";
  EXPECT_EQ(outcome.out, Console("Status: Verbunden (DFÜ nicht gesperrt)\n"
                                 "Zeit bis Auflegen: 0:02:00\nIP: 10.0.0.1\nOnlinezeit: 1:00:00\n"
                                 "Status: Verbunden (DFÜ nicht gesperrt)\n"_l1 + later +
                                 "Status: DFÜ gesperrt (DFÜ gesperrt)\n"_l1 + later));
  // The error and its end in one stream.
  EXPECT_EQ(outcome.err, At() + "Antwort abgebrochen: Der Server hat die Verbindung vor dem Ende "
                         "des Leitungsstatus geschlossen.\nwieder erreichbar\n");
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(script.intervals.size(), 6u);
}

TEST_F(Zerka2CtlModes, WatchJsonPrintsEveryChangeAndErrorObjects) {
  ScriptedWait script({[&] { clock->Advance(1s); }, [] {}, [&] { sim.Stop(); }});
  const Outcome outcome = Run({"watch", "--json"}, 0, &script);
  std::string later = HealthyJson;
  later.replace(later.find("120"), 3, "119").replace(later.find("3600"), 4, "3601");
  EXPECT_EQ(outcome.out, HealthyJson + later +
                             "{\"error\": \"" + At() + "Socket-Fehler # 10061\\r\\nVerbindung abgelehnt.\"}\n");
  EXPECT_EQ(outcome.err, "");
}

// Datagram replies that leave 150 ms after their query make a poll of two queries take 300 ms;
// replies that come after the 500 ms each query waits make it take over a second.
TEST_F(Zerka2CtlModes, WatchPollsOnScheduleAndDoesNotCatchUpAfterALatePoll) {
  sim.SetReplyDelay(150ms);
  ScriptedWait script({[&] { sim.SetReplyDelay(700ms); }, [&] { sim.SetReplyDelay(0ms); }, [] {}});
  Run({"watch", "--interval", "500"}, 0, &script);
  ASSERT_EQ(script.intervals.size(), 4u);
  EXPECT_LE(script.intervals[0], 200ms);  // the rest of the interval, not another 500
  EXPECT_EQ(script.intervals[1], 0ms);    // late: the next poll at once
  EXPECT_GT(script.intervals[2], 250ms);  // then on schedule again, without a burst
  EXPECT_LE(script.intervals[2], 500ms);
}

#ifndef _WIN32
// The program itself under a real stop signal, its output read through a pipe.
TEST_F(Zerka2CtlModes, WatchEndsOnSigtermWithStatusZeroAndFlushesEachLine) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string port = std::to_string(sim.RemotePort());
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(ends[1], STDOUT_FILENO);
    execl(ZERKA2CTL_PATH, "zerka2ctl", "--port", port.c_str(), "watch", "--interval", "50",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ends[1]);
  std::string received;
  // Reads until done or the end of the pipe; false when 5 s pass first.
  const auto readUntil = [&](const std::function<bool(bool ended)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    bool ended = false;
    while (!ended && !done(ended) && std::chrono::steady_clock::now() < deadline) {
      pollfd readable{ends[0], POLLIN, 0};
      if (poll(&readable, 1, 100) <= 0) continue;
      char buffer[512];
      const ssize_t count = read(ends[0], buffer, sizeof buffer);
      ended = count <= 0;
      if (count > 0) received.append(buffer, static_cast<std::size_t>(count));
    }
    return done(ended);
  };
  EXPECT_TRUE(readUntil([&](bool) { return received.find("Onlinezeit: ") != std::string::npos; }));
  kill(child, SIGTERM);
  if (!readUntil([](bool ended) { return ended; })) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(ends[0]);
  ASSERT_TRUE(WIFEXITED(status)) << "zerka2ctl watch did not end on SIGTERM";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(received.rfind(Console("Status: Verbunden (DFÜ nicht gesperrt)\n"_l1), 0), 0u);
}
#endif

}  // namespace zerka
