// zerka2ctl as a monitoring plugin and a safe console client: the plugin options, threshold
// ranges, faulty answers, stale records in JSON, control characters and the bounded lookup.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sstream>

#include "base/Latin1.h"
#include "base/ProjectVersion.h"
#include "sim/SimServer.h"
#include "tests/tools/CtlRun.h"
#include "tools/CommandLine.h"
#include "tools/HostLookup.h"
#include "tools/MonitoringCheck.h"
#include "tools/ThresholdRange.h"
#include "tools/Zerka2Ctl.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;

class Zerka2CtlPlugin : public ::testing::Test {
 protected:
  Zerka2CtlPlugin() : sim(Options()) {
    sim.WithLine([](sim::LineModel& line) {
      line.SetConnected("10.0.0.1", 3600s, 120s);
      line.SetConnections(3);
    });
  }

  static sim::ServerOptions Options() {
    sim::ServerOptions options;
    options.clock = std::make_shared<sim::ManualClock>();
    return options;
  }

  std::string Port() const { return std::to_string(sim.RemotePort()); }
  std::string At() const { return "127.0.0.1:" + Port() + ": "; }

  Outcome Run(std::vector<std::string> command) {
    command.insert(command.begin(), {"-p", Port()});
    return RunCaptured(command);
  }

  sim::SimServer sim;
};

// Stands in for a name service; it can be held until the test ends, and counts its calls.
struct FakeNameService {
  std::mutex lock;
  std::condition_variable released;
  bool hold = false;
  int calls = 0;
  std::string asked;
  ResolverAnswer answer;

  static HostResolver Resolver(const std::shared_ptr<FakeNameService>& service) {
    return [service](const std::string& host) {
      std::unique_lock<std::mutex> guard(service->lock);
      ++service->calls;
      service->asked = host;
      service->released.wait(guard, [&] { return !service->hold; });
      return service->answer;
    };
  }
  void Release() {
    const std::lock_guard<std::mutex> guard(lock);
    hold = false;
    released.notify_all();
  }
};

}  // namespace

TEST(ThresholdRange, FollowsThePluginGuidelines) {
  struct Case {
    const char* range;
    double value;
    bool alerts;
  };
  for (const Case& c : std::vector<Case>{{"10", -1, true},  {"10", 0, false},    {"10", 10, false},
                                         {"10", 11, true},  {"10:", 9, true},    {"10:", 10, false},
                                         {"~:10", 11, true}, {"~:10", -99, false}, {"10:20", 9, true},
                                         {"10:20", 21, true}, {"10:20", 15, false}, {"@10:20", 10, true},
                                         {"@10:20", 21, false}, {"1.5:", 1, true}}) {
    const auto range = ParseThresholdRange(c.range);
    ASSERT_TRUE(range) << c.range;
    EXPECT_EQ(range->Alerts(c.value), c.alerts) << c.range << " " << c.value;
  }
  for (const char* bad : {"", ":", "@", "5:2", "x", "1:y", "~", "nan", "inf:"}) {
    EXPECT_FALSE(ParseThresholdRange(bad)) << bad;
  }
}

TEST_F(Zerka2CtlPlugin, RangesSetTheStateAndTheWarningAndCriticalLinesOfTheGraph) {
  const std::string head = "Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online 1:00:00"_l1;
  Outcome outcome = Run({"check", "-w", "130:", "-c", "60:"});
  EXPECT_EQ(outcome.out, Latin1ToUtf8("ZERKA WARNING - " + head + ", Zeit bis Auflegen 0:02:00 | "
                                      "connections=3;;;0 online=3600s;;;0 hangup=120s;130:;60:;0\n"));
  EXPECT_EQ(outcome.exitStatus, CheckWarning);
  outcome = Run({"check", "--warning=130:", "--critical", "@100:200"});
  EXPECT_EQ(outcome.exitStatus, CheckCritical);
  EXPECT_NE(outcome.out.find(" hangup=120s;130:;@100:200;0\n"), std::string::npos) << outcome.out;
  outcome = Run({"check", "--warning-hangup", "60"});
  EXPECT_EQ(outcome.exitStatus, CheckOk);
  EXPECT_NE(outcome.out.find(" hangup=120s;60:;;0\n"), std::string::npos) << outcome.out;
  outcome = Run({"check", "--critical-hangup", "130"});
  EXPECT_EQ(outcome.exitStatus, CheckCritical);
  EXPECT_NE(outcome.out.find(" hangup=120s;;130:;0\n"), std::string::npos) << outcome.out;
  outcome = Run({"check", "-w", "5:2"});
  EXPECT_EQ(outcome.out, Latin1ToUtf8("ZERKA UNKNOWN - ungültiger Bereich für --warning: 5:2\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckUnknown);
  // One threshold in two forms that disagree; the same form twice is overridden, as usual.
  outcome = Run({"check", "-w", "60:", "--warning-hangup", "30"});
  EXPECT_EQ(outcome.out, "ZERKA UNKNOWN - --warning-hangup 30 widerspricht --warning 60: "
                         "(beide setzen dieselbe Schwelle)\n");
  EXPECT_EQ(Run({"check", "-w", "1000:", "-w", "60:"}).exitStatus, CheckOk);
}

TEST_F(Zerka2CtlPlugin, VerboseAddsDetailsOnTheFollowingLinesAndPortZeroIsRefused) {
  Outcome outcome = Run({"check", "-v"});
  EXPECT_EQ(outcome.out, Latin1ToUtf8("ZERKA OK - Verbunden, DFÜ nicht gesperrt, 10.0.0.1, online "
                                      "1:00:00 | connections=3;;;0 online=3600s;;;0 hangup=120s;;;0\n"
                                      "Status: Verbunden (DFÜ nicht gesperrt)\n"
                                      "Zeit bis Auflegen: 0:02:00\nIP: 10.0.0.1\nOnlinezeit: 1:00:00\n"_l1));
  outcome = Run({"-vv", "check"});
  EXPECT_NE(outcome.out.find("\nServer: 127.0.0.1 = 127.0.0.1, Port " + Port() + "\nDauer: "),
            std::string::npos)
      << outcome.out;
  outcome = Run({"check", "--verbose", "-p", "0"});
  EXPECT_EQ(outcome.out, Latin1ToUtf8("ZERKA UNKNOWN - ungültiger Port (1 bis 65535): 0\n"_l1));
  EXPECT_EQ(outcome.exitStatus, CheckUnknown);
}

TEST_F(Zerka2CtlPlugin, PluginOptionsAndTodaysLongOptionsGoBeforeOrAfterTheCommand) {
  const Outcome reference = Run({"check"});
  EXPECT_EQ(RunCaptured({"--warning-hangup", "60", "check", "-H", "127.0.0.1", "-p" + Port(), "-t3"}).exitStatus,
            CheckOk);
  EXPECT_EQ(RunCaptured({"check", "--hostname=localhost", "--port", Port(), "--timeout=3"}).out, reference.out);
  EXPECT_EQ(RunCaptured({"--host", "127.0.0.1", "--port", Port(), "status"}).exitStatus, 0);
  EXPECT_EQ(RunCaptured({"--json", "check"}).exitStatus, CheckUnknown);  // an option of another command
  EXPECT_EQ(RunCaptured({"-V"}).out, "zerka2ctl " ZERKA_VERSION "\n");
  EXPECT_EQ(RunCaptured({"check", "-h"}).out.rfind("Aufruf: zerka2ctl", 0), 0u);
}

TEST_F(Zerka2CtlPlugin, AnAnswerOfAnUnknownTypeIsCritical) {
  sim.SetStreamFault(sim::StreamFault::UnknownType);
  const Outcome outcome = Run({"check"});
  EXPECT_EQ(outcome.out, "ZERKA CRITICAL - fehlerhafte Antwort, " + At() + "Unbekannter Datentyp\n");
  EXPECT_EQ(outcome.exitStatus, CheckCritical);
}

TEST_F(Zerka2CtlPlugin, JsonNullsARecordThatIsNotCurrentAndSaysWhy) {
  const std::string states =
      "\"line_state\": 1, \"line_text\": \"Verbunden\", \"lock_state\": 0, "
      "\"lock_text\": \"DF\xC3\x9C nicht gesperrt\", ";
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Wartung");
  Outcome outcome = Run({"status", "--json"});
  EXPECT_EQ(outcome.out, "{\"connections\": null, " + states +
                             "\"seconds_until_hangup\": null, \"dialup_address\": null, "
                             "\"online_seconds\": null, \"message\": \"Wartung\"}\n");
  EXPECT_EQ(outcome.err, "");
  sim.SetStreamFault(sim::StreamFault::UnknownType);
  outcome = Run({"status", "--json"});
  EXPECT_NE(outcome.out.find("\"online_seconds\": null, \"message\": \"" + At() +
                             "Unbekannter Datentyp\"}\n"),
            std::string::npos)
      << outcome.out;
}

TEST_F(Zerka2CtlPlugin, ControlCharactersFromTheServerNeverReachTheTerminal) {
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("\x1B]0;Titel\x07 A\rB\x7F\x9B" "2J\tC\r\nD");
  Outcome outcome = Run({"status"});
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find("Status: ")), "?]0;Titel? A?B??2J\tC\nD\n");
  outcome = Run({"status", "--json"});
  EXPECT_NE(outcome.out.find("\"message\": \"\\u001b]0;Titel\\u0007 A\\rB\\u007f\\u009b2J\\tC\\r\\nD\""),
            std::string::npos)
      << outcome.out;
}

TEST_F(Zerka2CtlPlugin, TheNameIsResolvedOnceAndAnUnknownOneNamed) {
  const auto service = std::make_shared<FakeNameService>();
  service->answer.Address = "127.0.0.1";
  std::ostringstream out;
  EXPECT_EQ(RunCheck("proxy.example", sim.RemotePort(), {}, out, FakeNameService::Resolver(service)),
            CheckOk);
  EXPECT_EQ(service->calls, 1);

  service->answer = ResolverAnswer{std::nullopt, 11001};
  out.str("");
  EXPECT_EQ(RunCheck("proxy.example", 4295, {}, out, FakeNameService::Resolver(service)), CheckUnknown);
  EXPECT_EQ(out.str(), "ZERKA UNKNOWN - proxy.example:4295: Der Host proxy.example ist unbekannt "
                       "(keine IPv4-Adresse zu diesem Namen).\n");

  out.str("");
  EXPECT_EQ(RunCheck("::1", 4295, {}, out, FakeNameService::Resolver(service)), CheckUnknown);
  EXPECT_EQ(out.str(), Latin1ToUtf8("ZERKA UNKNOWN - ::1:4295: Die IPv6-Adresse ::1 wird nicht "
                                    "unterstützt; der Server ist nur über IPv4 erreichbar (einen "
                                    "Namen oder eine IPv4-Adresse angeben).\n"_l1));
  EXPECT_EQ(service->calls, 2);
}

// The name goes to the resolver as the command line brings it, and reports name it so.
TEST_F(Zerka2CtlPlugin, TheNameReachesTheResolverAsTyped) {
#ifdef _WIN32
  const std::string typed = "pr\xFC" "fer.example";  // Windows hands over the Western code page
  const std::string shown = "pr\xC3\xBC" "fer.example";
#else
  const std::string typed = "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xBA\xD1\x81\xD0\xB8.example";
  const std::string shown = typed;
#endif
  const ParsedCommandLine parsed = ParseCommandLine({"-H", typed, "check"});
  ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed.Outcome));
  EXPECT_EQ(std::get<CommandLine>(parsed.Outcome).Host, typed);

  const auto service = std::make_shared<FakeNameService>();
  service->answer = ResolverAnswer{std::nullopt, 11001};
  std::ostringstream out;
  RunCheck(typed, 4295, {}, out, FakeNameService::Resolver(service));
  EXPECT_EQ(service->asked, typed);
  EXPECT_EQ(out.str(), "ZERKA UNKNOWN - " + shown + ":4295: Der Host " + shown +
                           " ist unbekannt (keine IPv4-Adresse zu diesem Namen).\n");
}

// The lookup that never ends is left behind on its thread; it owns what it touches, so the
// test may end before it does.
TEST_F(Zerka2CtlPlugin, AHangingNameServiceEndsTheCheckWithinItsTimeOut) {
  const auto service = std::make_shared<FakeNameService>();
  service->hold = true;
  std::ostringstream out;
  CheckOptions options;
  options.TimeoutSeconds = 2;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunCheck("proxy.example", 4295, options, out, FakeNameService::Resolver(service)),
            CheckCritical);
  EXPECT_LE(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(out.str().rfind("ZERKA CRITICAL - proxy.example:4295: Der Namensdienst hat den Namen "
                            "proxy.example nicht innerhalb von ", 0),
            0u)
      << out.str();
  service->Release();
}

}  // namespace zerka
