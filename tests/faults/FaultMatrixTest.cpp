// Every way the server can misbehave, met by the monitor window and by zerka2ctl: the German
// text each reports, the time each call holds the calling thread, the memory it keeps, and
// that the next Apply (or call) works again once the server is healthy.

#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "net/NetHTTP.h"
#include "net/NetTCPClient.h"
#include "tests/faults/ResidentMemory.h"
#include "tests/monitor/MonitorFixture.h"
#include "tools/Zerka2Ctl.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// The clients' bounds in the monitor under test, small so that every case runs quickly.
constexpr std::int32_t kTestTimeoutMs = 300;
// zerka2ctl keeps its own defaults, so its rows check the bounds a user gets.
constexpr std::int32_t kDefaultTimeoutMs = 10000;
// Two datagram queries, each a 3 ms drain and a 500 ms reply wait.
constexpr std::int64_t kQueriesMs = 2 * (3 + 500);
// What scheduling, loopback and the sanitizers may add to a bounded wait.
constexpr std::int64_t kSlackMs = 600;
// Growth of the resident memory that no single faulty exchange may cause.
constexpr std::int64_t kMemoryCeiling = 16 * 1024 * 1024;

// A polling cycle: connect, then two reads of the stream exchange, then the two queries.
constexpr std::int64_t PollBound(std::int32_t timeoutMs) { return 3 * std::int64_t{timeoutMs} + kQueriesMs + kSlackMs; }
// A restart: the admin-port query, the connect, one deadline over the whole answer.
constexpr std::int64_t RestartBound(std::int32_t timeoutMs) { return 2 * std::int64_t{timeoutMs} + 503 + kSlackMs; }

enum class Channel { Poll, Restart };

struct FaultCase {
  std::string Name;
  Channel Via;
  std::function<void(sim::SimServer&)> Arm;  // empty: the clients aim at a port nobody serves
  std::string Message;   // the monitor's status line, exactly; empty when nothing is reported
  std::string LineText;  // the line state shown afterwards (polling rows)
  int CtlExit;           // zerka2ctl's exit status
  // Its error output before the console conversion; for a restart after the name of the
  // administration interface.
  std::string CtlError;
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) { return out << c.Name; }

std::string Tcp(const std::string& text) { return "TCP-Fehler: " + text; }
std::string SocketError(int code, const std::string& text) {
  return "Socket-Fehler # " + std::to_string(code) + "\r\n" + text;
}

// What zerka2ctl writes of a system text: CR LF as one line break, UTF-8 on every system.
std::string Console(const std::string& latin1) {
  std::string text;
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    if (latin1[i] == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n') continue;
    text += latin1[i];
  }
  return Latin1ToUtf8(text);
}

// Wine reports a reset that follows data as the orderly end of the stream.
std::string Expected(const std::string& text) {
#ifdef _WIN32
  if (text == Tcp(SocketError(10054, "Die Verbindung wurde von Peer zurückgesetzt."_l1))) {
    return Tcp("Die Verbindung wurde erfolgreich geschlossen.");
  }
#endif
  return text;
}

// zerka2ctl's own text for a record that was cut.
const std::string kCtlCut =
    "Antwort abgebrochen: Der Server hat die Verbindung vor dem Ende des Leitungsstatus geschlossen.";

std::string CtlExpected(const std::string& text) {
  return Expected(text) == Tcp("Die Verbindung wurde erfolgreich geschlossen.") ? kCtlCut : text;
}

const std::string kInternalError = "Interner Fehler";
const std::string kNoCycle = "Status?";

std::function<void(sim::SimServer&)> Datagrams(sim::DatagramFault fault) {
  return [fault](sim::SimServer& s) { s.SetDatagramFault(fault); };
}
std::function<void(sim::SimServer&)> Stream(sim::StreamFault fault) {
  return [fault](sim::SimServer& s) { s.SetStreamFault(fault); };
}
std::function<void(sim::SimServer&)> Http(sim::HttpFault fault) {
  return [fault](sim::SimServer& s) { s.SetHttpFault(fault); };
}

std::vector<FaultCase> Cases() {
  const std::string tooLong = SocketError(10040, "Die Botschaft ist zu lang.");
  const std::string refused = SocketError(10061, "Verbindung abgelehnt.");
  const std::string reset = Tcp(SocketError(10054, "Die Verbindung wurde von Peer zurückgesetzt."_l1));
  const std::string closed = Tcp("Die Verbindung wurde erfolgreich geschlossen.");
  const std::string timedOut = Tcp(SocketError(10060, "Zeitüberschreitung bei Verbindung."_l1));
  const std::string ctlNoAnswer =
      "Keine Antwort: Der Server hat die Verbindung angenommen, den Leitungsstatus aber nicht "
      "rechtzeitig geschickt (Socket-Fehler # 10060).";
  const std::string ctlLate = "Die Antwort auf den Neustart kam nicht rechtzeitig (Socket-Fehler # 10060).";
  return {
      {"SilentServer", Channel::Poll, Datagrams(sim::DatagramFault::Silent), "", kInternalError, 0, ""},
      {"LateReplies", Channel::Poll, [](sim::SimServer& s) { s.SetReplyDelay(700ms); }, "", kInternalError, 0, ""},
      {"WrongSequence", Channel::Poll, Datagrams(sim::DatagramFault::WrongSequence), "", kInternalError, 0, ""},
      {"StatusZero", Channel::Poll, Datagrams(sim::DatagramFault::StatusZero), "", kInternalError, 0, ""},
      {"ZeroLengthDatagram", Channel::Poll, Datagrams(sim::DatagramFault::ZeroLength), "UDP Empfangsfehler = 0.",
       kNoCycle, ExitReported, "UDP Empfangsfehler = 0."},
      {"OversizedDatagram", Channel::Poll, Datagrams(sim::DatagramFault::Oversized), tooLong, kNoCycle, ExitReported,
       tooLong},
      {"ConnectionRefused", Channel::Poll, {}, refused, kNoCycle, ExitReported, refused},
      {"ResetMidRecord", Channel::Poll, Stream(sim::StreamFault::ResetMidRecord), reset, kNoCycle, ExitReported, reset},
      {"CloseAfterType", Channel::Poll, Stream(sim::StreamFault::CloseAfterType), closed, kNoCycle, ExitReported,
       kCtlCut},
      {"StreamNeverAnswers", Channel::Poll, Stream(sim::StreamFault::NeverAnswer), timedOut, kNoCycle, ExitReported,
       ctlNoAnswer},
      {"HttpNeverAnswers", Channel::Restart, Http(sim::HttpFault::NeverAnswer), "", "", ExitReported, ctlLate},
      {"EndlessHeaderLine", Channel::Restart, Http(sim::HttpFault::EndlessHeaderLine), "", "", ExitReported,
       "Der Server sendet eine zu lange Zeile."},
      {"HugeContentLength", Channel::Restart, Http(sim::HttpFault::HugeContentLength), "", "", ExitReported,
       "Die Antwort des Servers ist zu groß."_l1},
      {"ChunkSizeOverflow", Channel::Restart, Http(sim::HttpFault::ChunkSizeOverflow), "", "", ExitReported,
       "Der Server sendet eine ungültige Blockgröße."_l1},
      {"Unauthorized401", Channel::Restart, Http(sim::HttpFault::Always401), "", "", 1,
       "Neustart abgelehnt, HTTP-Status 401 Unauthorized"},
      {"Redirect302", Channel::Restart, Http(sim::HttpFault::Redirect302), "", "", 1,
       "Neustart abgelehnt, HTTP-Status 302 Found"},
      {"AnswerCutInHead", Channel::Restart, Http(sim::HttpFault::CutInHead), "", "", ExitReported,
       "Die Verbindung wurde vor dem Ende der Antwort geschlossen."},
  };
}

template <class Action>
std::int64_t WallMs(Action&& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start).count();
}

struct CtlOutcome {
  int Exit = -1;
  std::string Out;
  std::string Err;
  std::int64_t WallMs = 0;
};

class FaultMatrix : public MonitorTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  FaultMatrix() {
    sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 60s, 120s); });
  }

  // The port of a server that has gone: nothing listens there any more.
  static std::uint16_t DeadPort() {
    sim::SimServer gone;
    const std::uint16_t port = gone.RemotePort();
    gone.Stop();
    return port;
  }

  void StartMonitor(std::uint16_t port) {
    SeedPolling(false);
    Seed("Proxy Port", std::to_string(port));
    Seed("HTTP User", "admin");
    Seed("HTTP Passwort", "geheim");
    Start();
    for (TNetTCPClient* client : {static_cast<TNetTCPClient*>(&form->Zerka2Remote1->StreamClient()),
                                  static_cast<TNetTCPClient*>(&form->Zerka2Remote1->HTTPClient())}) {
      client->ReadTimeout = kTestTimeoutMs;
      client->ConnectTimeout = kTestTimeoutMs;
    }
  }

  std::int64_t Restart() {
    platform.Modal.AnswerMessageBox(TModalResult::OK);
    return WallMs([&] { ChooseMenuItem(form->Zerka2neustarten1); });
  }

  // The user opens the settings, aims them at the healthy server, ticks "Aktiviert", applies.
  void ApplyHealthySettings() {
    form->Einstellungen1Click(nullptr);
    form->ProxyHost->SetText("127.0.0.1");
    form->ProxyPort->SetValue(sim.RemotePort());
    form->Aktiviert->SetChecked(true);
    Press(form->BitBtn5);
  }

  CtlOutcome Ctl(std::uint16_t port, std::vector<std::string> command) {
    std::vector<std::string> args{"--port", std::to_string(port)};
    args.insert(args.end(), command.begin(), command.end());
    std::ostringstream out, err;
    CtlOutcome outcome;
    outcome.WallMs = WallMs([&] { outcome.Exit = RunZerka2Ctl(args, out, err); });
    outcome.Out = out.str();
    outcome.Err = err.str();
    return outcome;
  }
  std::vector<std::string> CtlCommand(Channel via) const {
    if (via == Channel::Poll) return {"status"};
    return {"restart", "--user", "admin", "--password", "geheim"};
  }

  // Late replies still on their way would reach the next query: wait until they have left.
  void AwaitRepliesInFlight() {
    if (sim.Faults().replyDelay == 0ms) return;
    const auto sent = sim.GetTraffic();
    const std::uint64_t queries = sent.datagramsByCode[2] + sent.datagramsByCode[7] + sent.datagramsByCode[8];
    ASSERT_TRUE(sim.WaitForTraffic([&](const sim::Traffic& t) { return t.datagramReplies >= queries; }, 5s));
  }
};

TEST_P(FaultMatrix, ReportsStaysBoundedAndRecovers) {
  const FaultCase& fault = GetParam();
  const bool refused = !fault.Arm;
  const std::uint16_t faultyPort = refused ? DeadPort() : sim.RemotePort();
  if (!refused) fault.Arm(sim);
  const auto memoryBefore = testing::ResidentBytes();

  // --- the monitor
  StartMonitor(faultyPort);
  if (fault.Via == Channel::Poll) {
    const std::int64_t took = WallMs([&] { Tick(); });
    EXPECT_LE(took, PollBound(kTestTimeoutMs)) << "the polling cycle held the window too long";
    if (fault.Message.empty()) {
      EXPECT_TRUE(EndsWith(StatusLine(), " Proxy-Anfrage abgeschlossen")) << StatusLine();
      EXPECT_TRUE(form->Timer1->Enabled());
    } else {
      EXPECT_EQ(StatusLine(), Expected(fault.Message)) << fault.Message;
      EXPECT_FALSE(form->Timer1->Enabled());
      EXPECT_FALSE(form->Aktiviert->Checked());
    }
    EXPECT_EQ(form->Status->Text(), fault.LineText);
    EXPECT_EQ(TrayPicture(), 7);
  } else {
    const std::string statusBefore = StatusLine();
    EXPECT_LE(Restart(), RestartBound(kTestTimeoutMs)) << "the restart held the window too long";
    EXPECT_EQ(sim.GetTraffic().httpRequests, 1u);
    EXPECT_EQ(StatusLine(), statusBefore) << "a failed restart reports nothing";
  }
  EXPECT_TRUE(platform.Modal.MessageBoxes.size() <= 1u) << "no error box besides the restart question";

  // --- zerka2ctl
  const CtlOutcome failed = Ctl(faultyPort, CtlCommand(fault.Via));
  EXPECT_EQ(failed.Exit, fault.CtlExit);
  std::string where = "127.0.0.1:" + std::to_string(faultyPort) + ": ";
  if (fault.Via == Channel::Restart) {
    where += "Verwaltungsoberfläche auf Port "_l1 + std::to_string(sim.AdminPort()) + ": ";
  }
  EXPECT_EQ(failed.Err, fault.CtlError.empty() ? "" : Console(where + CtlExpected(fault.CtlError)) + "\n");
  const std::int64_t ctlBound = fault.Via == Channel::Poll ? PollBound(kDefaultTimeoutMs) : RestartBound(kDefaultTimeoutMs);
  EXPECT_LE(failed.WallMs, ctlBound);

  if (const auto memoryAfter = testing::ResidentBytes()) {
    EXPECT_LE(*memoryAfter - *memoryBefore, kMemoryCeiling) << "resident memory grew under the fault";
  }

  // --- the server is healthy again
  AwaitRepliesInFlight();
  sim.SetFaults({});
  if (fault.Via == Channel::Poll) {
    ApplyHealthySettings();
    ASSERT_TRUE(form->Timer1->Enabled());
    Tick();
    EXPECT_TRUE(EndsWith(StatusLine(), " Proxy-Anfrage abgeschlossen")) << StatusLine();
    EXPECT_EQ(form->Status->Text(), "Verbunden");
    EXPECT_EQ(form->DFUEIP->Text(), "10.1.2.3");
    EXPECT_EQ(TrayPicture(), 2);
    const CtlOutcome healthy = Ctl(sim.RemotePort(), {"status"});
    EXPECT_EQ(healthy.Exit, 0) << healthy.Err;
    EXPECT_EQ(healthy.Out.rfind(Console("Status: Verbunden (DFÜ nicht gesperrt)\n"_l1), 0), 0u) << healthy.Out;
  } else {
    const std::uint64_t restartsBefore = sim.GetTraffic().restarts;
    Restart();
    EXPECT_EQ(sim.GetTraffic().restarts, restartsBefore + 1);
    const CtlOutcome healthy = Ctl(sim.RemotePort(), CtlCommand(Channel::Restart));
    EXPECT_EQ(healthy.Exit, 0) << healthy.Err;
    EXPECT_EQ(sim.GetTraffic().restarts, restartsBefore + 2);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrix, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace zerka
