#include "tools/Zerka2Ctl.h"

#include <charconv>
#include <optional>

#include "base/Latin1.h"
#include "remote/Zerka2Remote.h"
#include "tools/ConsoleText.h"
#include "tools/MonitoringCheck.h"
#include "tools/StatusJson.h"
#include "tools/StatusPoll.h"
#include "tools/Watch.h"

namespace zerka {
namespace {

constexpr const char* DefaultHost = "127.0.0.1";

std::string HelpText() {
  return "Aufruf: zerka2ctl [--host HOST] [--port PORT] BEFEHL [OPTIONEN]\n"
         "\n"
         "Fernsteuerung eines Zerka-Proxy-Servers über sein Fernsteuerungsprotokoll.\n"
         "\n"
         "Optionen:\n"
         "  --host HOST      Name oder IP-Adresse des Servers (Vorgabe: 127.0.0.1)\n"
         "  --port PORT      Fernsteuerungs-Port für Datagramme und die Statusverbindung\n"
         "                   (Vorgabe: 4295)\n"
         "  --help           zeigt diese Hilfe\n"
         "\n"
         "Befehle:\n"
         "  status [--json]  holt den Leitungsstatus, fragt DFÜ-Status und Sperr-Status ab\n"
         "                   und gibt die vier Zeilen des Tray-Tipps aus:\n"
         "                     Status: <DFÜ-Status> (<Sperr-Status>)\n"
         "                     Zeit bis Auflegen: <Stunden:Minuten:Sekunden>\n"
         "                     IP: <DFÜ-Adresse>\n"
         "                     Onlinezeit: <Stunden:Minuten:Sekunden>\n"
         "                   Schlägt das Holen des Leitungsstatus oder die Abfrage des\n"
         "                   DFÜ-Status fehl, wird nichts ausgegeben.\n"
         "                   Mit --json ein JSON-Objekt in einer Zeile (UTF-8) mit den\n"
         "                   Schlüsseln connections, line_state, line_text, lock_state,\n"
         "                   lock_text, seconds_until_hangup, dialup_address und\n"
         "                   online_seconds; ein Fehler ergibt {\"error\": \"<Meldung>\"}\n"
         "                   und Exit-Status 2.\n"
         "  watch [--interval MS] [--json]\n"
         "                   fragt alle MS Millisekunden ab (Vorgabe: 1000, mindestens 50)\n"
         "                   und gibt den Status wie status aus: zu Beginn und immer, wenn\n"
         "                   sich DFÜ-Status oder Sperr-Status ändern; mit --json als\n"
         "                   JSON-Zeile, auch wenn sich eine Zahl ändert. Ein Fehler wird\n"
         "                   einmal gemeldet, sein Ende mit \"wieder erreichbar\" und dem\n"
         "                   Status; die Überwachung läuft weiter. Ctrl+C oder SIGTERM\n"
         "                   beenden sie nach der laufenden Abfrage mit Exit-Status 0.\n"
         "  check [--warning-hangup S] [--critical-failed] [--timeout S]\n"
         "                   prüft den Server für ein Überwachungssystem (Nagios, Icinga,\n"
         "                   Naemon, Checkmk, Zabbix): eine Zeile mit Leistungsdaten\n"
         "                     ZERKA OK - <DFÜ-Status>, <Sperr-Status>[, <IP>, online <Zeit>]\n"
         "                       | connections=<n> online=<s>s hangup=<s>s\n"
         "                   Exit-Status 0 OK, 1 WARNING (Verbindungsaufbau gescheitert,\n"
         "                   DFÜ gesperrt, Meldung des Servers; mit --warning-hangup S\n"
         "                   verbunden und weniger als S Sekunden bis zum Auflegen),\n"
         "                   2 CRITICAL (keine oder fehlerhafte Antwort; mit\n"
         "                   --critical-failed auch Verbindungsaufbau gescheitert),\n"
         "                   3 UNKNOWN (unbekannter Status, fehlerhafter Aufruf).\n"
         "                   Die Prüfung endet nach höchstens S Sekunden (--timeout,\n"
         "                   Vorgabe: 5, mindestens 2); die Namensauflösung des Hosts\n"
         "                   ist davon ausgenommen.\n"
         "  line-state       gibt den DFÜ-Status als Zahl aus: 0 nicht verbunden,\n"
         "                   1 verbunden, 2 Verbindungsaufbau gescheitert, 3 Anwahl,\n"
         "                   4 DFÜ gesperrt; 255 ohne gültige Antwort\n"
         "  lock-state       gibt den Sperr-Status als Zahl aus: 0 nicht gesperrt,\n"
         "                   1 gesperrt; 255 ohne gültige Antwort\n"
         "  admin-port       gibt den Port der Verwaltungsoberfläche aus;\n"
         "                   2506 ohne gültige Antwort\n"
         "  fetch-mail       lässt den Server Mail abrufen\n"
         "  logout           lässt den Server die DFÜ-Verbindung trennen\n"
         "  toggle-lock      sperrt die DFÜ-Verbindung oder gibt sie frei\n"
         "  stop             beendet den Server\n"
         "  restart [--user BENUTZER] [--password PASSWORT]\n"
         "                   startet den Server über seine Verwaltungsoberfläche neu;\n"
         "                   ohne Benutzernamen werden keine Anmeldedaten gesendet\n"
         "\n"
         "Die Befehle fetch-mail, logout, toggle-lock und stop erwarten keine Antwort.\n"
         "Eine Meldung, die der Server statt des Leitungsstatus schickt, erscheint in der\n"
         "Standardausgabe (bei --json in der Standardfehlerausgabe); die Zahlen sind dann\n"
         "die des zuletzt erhaltenen Leitungsstatus.\n"
         "\n"
         "Fehlermeldungen erscheinen in der Standardfehlerausgabe, jede Meldung für sich.\n"
         "\n"
         "Exit-Status (außer check):\n"
         "  0  erledigt (restart: der Server hat den Neustart angenommen)\n"
         "  1  restart: der Neustart wurde nicht angenommen\n"
         "  2  mindestens ein Fehler wurde gemeldet\n"
         "  3  fehlerhafter Aufruf\n"
         "\n"
         "Die Ausgabe ist UTF-8 (unter Windows die Zeichen der westeuropäischen Codepage;\n"
         "JSON ist immer UTF-8).\n"_l1;
}

std::optional<long long> ParseNumber(const std::string& text, long long min, long long max) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

struct CommandLine {
  std::string Host = DefaultHost;
  int Port = TZerka2Remote::DefaultPort;
  std::string Command;
  std::string User;
  std::string Password;
  bool Json = false;
  WatchOptions Watching;
  CheckOptions Checking;
};

class Session {
 public:
  Session(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
    remote_.SetOnError([this](TComponent*, const std::string& Text) {
      err_ << ConsoleText(Text) << '\n' << std::flush;
      reported_ = true;
    });
    remote_.SetShowMessage([this](const std::string& Text) { Print(Text); });
  }

  int Run(const CommandLine& line) {
    remote_.SetHost(line.Host);
    remote_.SetPort(line.Port);
    bool restarted = true;
    if (line.Command == "line-state") {
      Print(std::to_string(remote_.GetLineState()));
    } else if (line.Command == "lock-state") {
      Print(std::to_string(remote_.GetLockState()));
    } else if (line.Command == "admin-port") {
      Print(std::to_string(remote_.GetAdminPort()));
    } else if (line.Command == "fetch-mail") {
      remote_.FetchMail();
    } else if (line.Command == "logout") {
      remote_.Logout();
    } else if (line.Command == "toggle-lock") {
      remote_.ToggleDialupLock();
    } else if (line.Command == "stop") {
      remote_.StopServer();
    } else {
      restarted = remote_.RestartServer(line.User, line.Password);
    }
    if (reported_) return ExitReported;
    return restarted ? 0 : 1;
  }

 private:
  void Print(const std::string& latin1) { out_ << ConsoleText(latin1) << '\n' << std::flush; }

  std::ostream& out_;
  std::ostream& err_;
  TZerka2Remote remote_;
  bool reported_ = false;
};

// The tray tip's four lines, or one JSON object. A failed lock-state query still shows the
// status as the window does; a JSON reader gets the error object instead.
int Status(const CommandLine& line, std::ostream& out, std::ostream& err) {
  StatusPoller poller(line.Host, line.Port);
  const PollResult poll = poller.Poll();
  if (poll.ServerMessage) (line.Json ? err : out) << ConsoleText(*poll.ServerMessage) << '\n';
  if (line.Json) {
    out << (poll.Errors.empty() ? StatusJson(*poll.Status) : ErrorJson(poll.Errors.front())) << '\n';
  } else if (poll.Status) {
    out << ConsoleText(TrayTip(*poll.Status)) << '\n';
  }
  out << std::flush;
  for (const std::string& error : poll.Errors) err << ConsoleText(error) << '\n';
  err << std::flush;
  return poll.Errors.empty() ? 0 : ExitReported;
}

bool KnownCommand(const std::string& command) {
  for (const char* known : {"status", "watch", "check", "line-state", "lock-state", "admin-port",
                            "fetch-mail", "logout", "toggle-lock", "stop", "restart"}) {
    if (command == known) return true;
  }
  return false;
}

bool TakesValue(const std::string& command, const std::string& option) {
  if (option == "--host" || option == "--port") return true;
  if (command == "restart") return option == "--user" || option == "--password";
  if (command == "watch") return option == "--interval";
  if (command == "check") return option == "--warning-hangup" || option == "--timeout";
  return false;
}

bool IsFlag(const std::string& command, const std::string& option) {
  if (option == "--json") return command == "status" || command == "watch";
  return command == "check" && option == "--critical-failed";
}

// Why the value does not fit the option, or nothing when it was taken.
std::optional<std::string> TakeValue(CommandLine& line, const std::string& option,
                                     const std::string& value) {
  constexpr long long MaxInt32 = 2147483647;
  if (option == "--host") {
    line.Host = ArgumentText(value);
  } else if (option == "--port") {
    const auto port = ParseNumber(value, 0, 65535);
    if (!port) return "ungültiger Port: "_l1 + ArgumentText(value);
    line.Port = static_cast<int>(*port);
  } else if (option == "--user") {
    line.User = ArgumentText(value);
  } else if (option == "--password") {
    line.Password = ArgumentText(value);
  } else if (option == "--interval") {
    const auto interval = ParseNumber(value, MinWatchInterval.count(), MaxInt32);
    if (!interval) {
      return "ungültiges Intervall (Millisekunden, mindestens 50): "_l1 + ArgumentText(value);
    }
    line.Watching.Interval = std::chrono::milliseconds(*interval);
  } else if (option == "--warning-hangup") {
    const auto seconds = ParseNumber(value, 0, MaxInt32);
    if (!seconds) return "ungültige Sekundenzahl für --warning-hangup: "_l1 + ArgumentText(value);
    line.Checking.WarningHangupSeconds = static_cast<std::int32_t>(*seconds);
  } else {
    // Seconds that still fit the transport's millisecond time-outs.
    const auto seconds = ParseNumber(value, MinCheckTimeoutSeconds, 2000000);
    if (!seconds) {
      return "ungültige Zeitgrenze (Sekunden, mindestens 2): "_l1 + ArgumentText(value);
    }
    line.Checking.TimeoutSeconds = static_cast<std::int32_t>(*seconds);
  }
  return std::nullopt;
}

// A monitoring system shows only the plugin's standard output, so a check says it there too.
int UsageError(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& why) {
  for (const std::string& arg : args) {
    if (arg == "check") {
      out << ConsoleText("ZERKA UNKNOWN - " + why) << '\n' << std::flush;
      break;
    }
  }
  err << ConsoleText("zerka2ctl: " + why + "\n" +
                     "Aufruf: zerka2ctl [--host HOST] [--port PORT] BEFEHL (--help zeigt die Hilfe)")
      << '\n';
  return ExitUsage;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        IntervalWait* wait) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << ConsoleText(HelpText());
      return 0;
    }
    if (TakesValue(line.Command, arg)) {
      if (i + 1 >= args.size()) return UsageError(args, out, err, "zu " + arg + " fehlt der Wert");
      if (const auto why = TakeValue(line, arg, args[++i])) return UsageError(args, out, err, *why);
    } else if (IsFlag(line.Command, arg)) {
      if (arg == "--json") {
        line.Json = true;
        line.Watching.Json = true;
      } else {
        line.Checking.CriticalFailed = true;
      }
    } else if (line.Command.empty() && KnownCommand(arg)) {
      line.Command = arg;
    } else {
      return UsageError(args, out, err, "unbekanntes Argument: " + ArgumentText(arg));
    }
  }
  if (line.Command.empty()) return UsageError(args, out, err, "kein Befehl angegeben");
  if (line.Command == "status") return Status(line, out, err);
  if (line.Command == "check") return RunCheck(line.Host, line.Port, line.Checking, out);
  if (line.Command == "watch") {
    StatusPoller poller(line.Host, line.Port);
    if (wait) return Watch(poller, line.Watching, *wait, out, err);
    return Watch(poller, line.Watching, *MakeConsoleStopWait(), out, err);
  }
  return Session(out, err).Run(line);
}

}  // namespace

int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return Run(args, out, err, nullptr);
}

int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 IntervalWait& wait) {
  return Run(args, out, err, &wait);
}

}  // namespace zerka
