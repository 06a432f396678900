#include "tools/Zerka2Ctl.h"

#include <charconv>
#include <optional>

#include "base/Latin1.h"
#include "remote/LineStatusText.h"
#include "remote/Zerka2Remote.h"

namespace zerka {
namespace {

constexpr const char* DefaultHost = "127.0.0.1";

// The system's Latin-1 text for the console: CR LF as a plain line break, and UTF-8 where
// terminals expect it. A Windows console keeps the bytes of the Western code page.
std::string ConsoleText(const std::string& latin1) {
  std::string text;
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    if (latin1[i] == '\r' && i + 1 < latin1.size() && latin1[i + 1] == '\n') continue;
    text += latin1[i];
  }
#ifdef _WIN32
  return text;
#else
  return Latin1ToUtf8(text);
#endif
}

// A command-line argument as system text: Windows hands them over in the Western code page.
std::string ArgumentText(const std::string& arg) {
#ifdef _WIN32
  return arg;
#else
  return Utf8ToLatin1(arg);
#endif
}

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
         "  status           holt den Leitungsstatus, fragt DFÜ-Status und Sperr-Status ab\n"
         "                   und gibt die vier Zeilen des Tray-Tipps aus:\n"
         "                     Status: <DFÜ-Status> (<Sperr-Status>)\n"
         "                     Zeit bis Auflegen: <Stunden:Minuten:Sekunden>\n"
         "                     IP: <DFÜ-Adresse>\n"
         "                     Onlinezeit: <Stunden:Minuten:Sekunden>\n"
         "                   Schlägt das Holen des Leitungsstatus oder die Abfrage des\n"
         "                   DFÜ-Status fehl, wird nichts ausgegeben.\n"
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
         "Standardausgabe.\n"
         "\n"
         "Fehlermeldungen erscheinen in der Standardfehlerausgabe, jede Meldung für sich.\n"
         "\n"
         "Exit-Status:\n"
         "  0  erledigt (restart: der Server hat den Neustart angenommen)\n"
         "  1  restart: der Neustart wurde nicht angenommen\n"
         "  2  mindestens ein Fehler wurde gemeldet\n"
         "  3  fehlerhafter Aufruf\n"
         "\n"
         "Die Ausgabe ist UTF-8 (unter Windows die Zeichen der westeuropäischen Codepage).\n"_l1;
}

std::optional<int> ParsePort(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 65535) {
    return std::nullopt;
  }
  return value;
}

class Session {
 public:
  Session(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
    remote_.SetOnError([this](TComponent*, const std::string& Text) {
      err_ << ConsoleText(Text) << '\n' << std::flush;
      reported_ = true;
    });
    remote_.SetShowMessage([this](const std::string& Text) { Print(Text); });
  }

  int Run(const std::string& host, int port, const std::string& command,
          const std::string& user, const std::string& password) {
    remote_.SetHost(host);
    remote_.SetPort(port);
    bool restarted = true;
    if (command == "status") {
      Status();
    } else if (command == "line-state") {
      Print(std::to_string(remote_.GetLineState()));
    } else if (command == "lock-state") {
      Print(std::to_string(remote_.GetLockState()));
    } else if (command == "admin-port") {
      Print(std::to_string(remote_.GetAdminPort()));
    } else if (command == "fetch-mail") {
      remote_.FetchMail();
    } else if (command == "logout") {
      remote_.Logout();
    } else if (command == "toggle-lock") {
      remote_.ToggleDialupLock();
    } else if (command == "stop") {
      remote_.StopServer();
    } else {
      restarted = remote_.RestartServer(user, password);
    }
    if (reported_) return ExitReported;
    return restarted ? 0 : 1;
  }

 private:
  // The steps of the monitor's polling cycle: a failure in the refresh or the line-state query
  // ends it before anything is shown, one in the lock-state query does not.
  void Status() {
    remote_.GetConnections(true);
    const std::int32_t untilHangup = remote_.GetSecondsUntilHangup(false);
    const std::int32_t online = remote_.GetOnlineSeconds(false);
    const std::string address = remote_.GetDialupAddress(false);
    if (reported_) return;
    const std::uint8_t lineState = remote_.GetLineState();
    if (reported_) return;
    const std::uint8_t lockState = remote_.GetLockState();
    Print(TrayTipText(LineStateText(lineState), LockStateText(lockState),
                      FormatDuration(untilHangup), address, FormatDuration(online)));
  }

  void Print(const std::string& latin1) { out_ << ConsoleText(latin1) << '\n' << std::flush; }

  std::ostream& out_;
  std::ostream& err_;
  TZerka2Remote remote_;
  bool reported_ = false;
};

bool KnownCommand(const std::string& command) {
  for (const char* known : {"status", "line-state", "lock-state", "admin-port", "fetch-mail",
                            "logout", "toggle-lock", "stop", "restart"}) {
    if (command == known) return true;
  }
  return false;
}

int UsageError(std::ostream& err, const std::string& why) {
  err << ConsoleText("zerka2ctl: " + why + "\n" +
                     "Aufruf: zerka2ctl [--host HOST] [--port PORT] BEFEHL (--help zeigt die Hilfe)")
      << '\n';
  return ExitUsage;
}

}  // namespace

int RunZerka2Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string host = DefaultHost;
  int port = TZerka2Remote::DefaultPort;
  std::string command;
  std::string user;
  std::string password;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << ConsoleText(HelpText());
      return 0;
    }
    const bool takesValue = arg == "--host" || arg == "--port" ||
                            (command == "restart" && (arg == "--user" || arg == "--password"));
    if (takesValue) {
      if (i + 1 >= args.size()) return UsageError(err, "zu " + arg + " fehlt der Wert");
      const std::string& value = args[++i];
      if (arg == "--host") {
        host = ArgumentText(value);
      } else if (arg == "--port") {
        const auto parsed = ParsePort(value);
        if (!parsed) return UsageError(err, "ungültiger Port: "_l1 + ArgumentText(value));
        port = *parsed;
      } else if (arg == "--user") {
        user = ArgumentText(value);
      } else {
        password = ArgumentText(value);
      }
    } else if (command.empty() && KnownCommand(arg)) {
      command = arg;
    } else {
      return UsageError(err, "unbekanntes Argument: " + ArgumentText(arg));
    }
  }
  if (command.empty()) return UsageError(err, "kein Befehl angegeben");
  return Session(out, err).Run(host, port, command, user, password);
}

}  // namespace zerka
