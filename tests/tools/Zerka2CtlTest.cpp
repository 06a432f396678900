#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/Latin1.h"
#include "net/NetHTTP.h"
#include "sim/SimServer.h"
#include "tests/tools/CtlRun.h"
#include "tools/Restart.h"
#include "tools/Zerka2Ctl.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace zerka {
namespace {

using namespace std::chrono_literals;

// What a pipe or a file receives for a system text, on every system.
std::string Console(const std::string& latin1) { return Latin1ToUtf8(latin1); }

// What a file receives from the program's standard streams: Windows writes text with CR LF.
std::string Written(const std::string& text) {
#ifdef _WIN32
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
#else
  return text;
#endif
}

class Zerka2Ctl : public ::testing::Test {
 protected:
  Zerka2Ctl() : sim(Options()) {
    sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.0.0.1", 3600s, 120s); });
  }

  sim::ServerOptions Options() {
    sim::ServerOptions options;
    options.clock = std::make_shared<sim::ManualClock>();
    return options;
  }

  std::vector<std::string> Args(std::vector<std::string> command) {
    std::vector<std::string> args{"--port", std::to_string(sim.RemotePort())};
    args.insert(args.end(), command.begin(), command.end());
    return args;
  }

  Outcome Run(const std::vector<std::string>& command) { return RunCaptured(Args(command)); }

  // How reports name the server.
  std::string At() const { return "127.0.0.1:" + std::to_string(sim.RemotePort()) + ": "; }

  static std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  // The built program itself, its standard streams written to files.
  Outcome RunProgram(const std::vector<std::string>& command) {
    const std::string outPath = ::testing::TempDir() + "zerka2ctl-out.txt";
    const std::string errPath = ::testing::TempDir() + "zerka2ctl-err.txt";
    Outcome outcome;
    outcome.exitStatus = Start(command, outPath, errPath);
    outcome.out = ReadFile(outPath);
    outcome.err = ReadFile(errPath);
    return outcome;
  }

#ifdef _WIN32
  // Started directly rather than through cmd.exe, whose quoting rules differ between Windows
  // and Wine.
  int Start(const std::vector<std::string>& command, const std::string& outPath,
            const std::string& errPath) {
    std::string program = ZERKA2CTL_PATH;
    if (!program.empty() && program[0] == '/') {  // a Linux path seen from Wine
      for (char& c : program) c = c == '/' ? '\\' : c;
      program = "Z:" + program;
    }
    std::string line = "\"" + program + "\"";
    for (const std::string& arg : Args(command)) line += " " + arg;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    DWORD exitCode = static_cast<DWORD>(-1);
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
      if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
      }
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    return static_cast<int>(exitCode);
  }
#else
  int Start(const std::vector<std::string>& command, const std::string& outPath,
            const std::string& errPath) {
    std::string line = "'" + std::string(ZERKA2CTL_PATH) + "'";
    for (const std::string& arg : Args(command)) line += " " + arg;
    line += " >'" + outPath + "' 2>'" + errPath + "'";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
#endif

  sim::SimServer sim;
};

const std::string HealthyStatus =
    "Status: Verbunden (DF\xDC nicht gesperrt)\n"
    "Zeit bis Auflegen: 0:02:00\n"
    "IP: 10.0.0.1\n"
    "Onlinezeit: 1:00:00\n";

}  // namespace

TEST_F(Zerka2Ctl, StatusPrintsTheFourLinesOfTheTrayTip) {
  const Outcome outcome = Run({"status"});
  EXPECT_EQ(outcome.out, Console(HealthyStatus));
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, 0);
}

TEST_F(Zerka2Ctl, StatusWithoutDatagramRepliesShowsInternalErrors) {
  sim.SetDatagramFault(sim::DatagramFault::Silent);
  const Outcome outcome = Run({"status"});
  EXPECT_EQ(outcome.out,
            "Status: Interner Fehler (Interner Fehler)\n"
            "Zeit bis Auflegen: 0:02:00\n"
            "IP: 10.0.0.1\n"
            "Onlinezeit: 1:00:00\n");
  EXPECT_EQ(outcome.exitStatus, 0);
}

TEST_F(Zerka2Ctl, AServerMessageGoesToStandardOutputBeforeTheStatus) {
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.SetServerMessage("Wartung l\xE4uft\r\nbis 12 Uhr");
  const Outcome outcome = Run({"status"});
  EXPECT_EQ(outcome.out, Console("Wartung l\xE4uft\nbis 12 Uhr\n"
                                 "Status: Verbunden (DF\xDC nicht gesperrt)\n"
                                 "Zeit bis Auflegen: -0:00:00\n"
                                 "IP: \n"
                                 "Onlinezeit: -0:00:00\n"));
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, 0);
}

TEST_F(Zerka2Ctl, AFailedRefreshIsReportedOneLineBreakPerCrLfAndEndsTheStatus) {
  sim.Stop();
  const Outcome outcome = Run({"status"});
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, At() + "Socket-Fehler # 10061\nVerbindung abgelehnt.\n");
  EXPECT_EQ(outcome.exitStatus, 2);
}

TEST_F(Zerka2Ctl, QueriesPrintTheirNumberAndTheFallbackWithoutAReply) {
  EXPECT_EQ(Run({"line-state"}).out, "1\n");
  EXPECT_EQ(Run({"lock-state"}).out, "0\n");
  sim.SetReportedAdminPort(8080);
  EXPECT_EQ(Run({"admin-port"}).out, "8080\n");
  sim.SetDatagramFault(sim::DatagramFault::StatusZero);
  const Outcome outcome = Run({"admin-port"});
  EXPECT_EQ(outcome.out, "2506\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(Run({"line-state"}).out, "255\n");
}

TEST_F(Zerka2Ctl, AReportedQueryFailureGoesToStandardErrorWithStatusTwo) {
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  const Outcome outcome = Run({"lock-state"});
  EXPECT_EQ(outcome.out, "255\n");
  EXPECT_EQ(outcome.err, At() + "UDP Empfangsfehler = 0.\n");
  EXPECT_EQ(outcome.exitStatus, 2);
}

TEST_F(Zerka2Ctl, CommandsReachTheServerAndPrintNothing) {
  for (const char* command : {"fetch-mail", "logout", "toggle-lock"}) {
    const Outcome outcome = Run({command});
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.exitStatus, 0);
  }
  EXPECT_TRUE(sim.WaitForTraffic(
      [](const sim::Traffic& t) {
        return t.datagramsByCode[4] == 1 && t.datagramsByCode[5] == 1 && t.datagramsByCode[6] == 1;
      },
      5s));
  EXPECT_TRUE(sim.Line().locked);
  EXPECT_EQ(Run({"stop"}).exitStatus, 0);
  EXPECT_TRUE(sim.WaitUntilStopped(5s));
}

TEST_F(Zerka2Ctl, RestartExitsZeroWhenTakenOneWhenRefusedAndSaysWhy) {
  sim.SetCredentials(sim::Credentials{"admin", "geheim"});
  Outcome outcome = Run({"restart", "--user", "admin", "--password", "falsch"});
  EXPECT_EQ(outcome.err, Console(At() + "Verwaltungsoberfläche auf Port "_l1 +
                                 std::to_string(sim.AdminPort()) +
                                 ": Neustart abgelehnt, HTTP-Status 401 Unauthorized\n"));
  EXPECT_EQ(outcome.exitStatus, 1);
  outcome = Run({"restart", "--user", "admin", "--password", "geheim"});
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(sim.GetTraffic().restarts, 1u);
}

// The transport's bound on a silent interface is 10 s; the test gives it less.
TEST_F(Zerka2Ctl, ARestartWithoutAnAnswerIsAFailureThatSaysSo) {
  sim.SetHttpFault(sim::HttpFault::NeverAnswer);
  TZerka2Remote remote;
  remote.SetHost("127.0.0.1");
  remote.SetPort(sim.RemotePort());
  remote.HTTPClient().ReadTimeout = 300;
  const RestartOutcome outcome =
      RequestRestart(remote, ServerAddress{"127.0.0.1", "127.0.0.1", sim.RemotePort()}, "", "");
  EXPECT_EQ(outcome.Kind, RestartOutcome::Failed);
  EXPECT_EQ(outcome.Why, Console(At() + "Verwaltungsoberfläche auf Port "_l1 +
                                 std::to_string(sim.AdminPort()) +
                                 ": Die Antwort auf den Neustart kam nicht rechtzeitig (Socket-Fehler # 10060)."));

  sim.Stop();  // no admin port: the request goes to 2506, where nobody listens
  const Outcome refused = Run({"restart"});
  EXPECT_EQ(refused.err.rfind(Console(At() + "Verwaltungsoberfläche auf Port 2506: "
                                             "Socket-Fehler # 10061\n"_l1), 0), 0u) << refused.err;
  EXPECT_EQ(refused.exitStatus, 2);
}

TEST_F(Zerka2Ctl, BadCommandLinesAreRefusedWithStatusThree) {
  std::ostringstream out, err;
  EXPECT_EQ(RunZerka2Ctl({}, out, err), 3);
  EXPECT_EQ(RunZerka2Ctl({"--port", "70000", "status"}, out, err), 3);
  EXPECT_EQ(RunZerka2Ctl({"--port", "0", "status"}, out, err), 3);
  EXPECT_EQ(RunZerka2Ctl({"status", "--user", "x"}, out, err), 3);
  EXPECT_EQ(RunZerka2Ctl({"status", "logout"}, out, err), 3);
  EXPECT_EQ(RunZerka2Ctl({"--host"}, out, err), 3);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(sim.GetTraffic().streamConnections, 0u);
}

TEST_F(Zerka2Ctl, HelpExplainsInGerman) {
  std::ostringstream out, err;
  EXPECT_EQ(RunZerka2Ctl({"--help"}, out, err), 0);
  EXPECT_EQ(out.str().rfind("Aufruf: zerka2ctl [-H HOST] [-p PORT] [-t S] BEFEHL", 0), 0u);
  EXPECT_NE(out.str().find(Console("Sperr-Status")), std::string::npos);
  EXPECT_EQ(err.str(), "");
}

// Redirected, both systems write the same UTF-8 bytes, line ends aside.
TEST_F(Zerka2Ctl, TheProgramWritesTheSameBytes) {
  Outcome outcome = RunProgram({"status"});
  EXPECT_EQ(outcome.out, Written(Console(HealthyStatus)));
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.exitStatus, 0);

  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  outcome = RunProgram({"line-state"});
  EXPECT_EQ(outcome.out, Written("255\n"));
  EXPECT_EQ(outcome.err, Written(At() + "UDP Empfangsfehler = 0.\n"));
  EXPECT_EQ(outcome.exitStatus, 2);
}

}  // namespace zerka
