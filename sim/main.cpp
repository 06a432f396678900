// zerka-sim: the simulated Zerka server as a program of its own, for trying the monitor and
// zerka2ctl without a real server.

#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Latin1.h"
#include "sim/Console.h"
#include "sim/SimServer.h"
#include "sim/SimSocket.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnSignal(int) { interrupted = 1; }

const char* const kHelp =
    "Aufruf: zerka-sim [--bind ADRESSE] [--port PORT] [--admin-port PORT]\n"
    "                  [--user NAME --password KENNWORT]\n"
    "\n"
    "Simulierter Zerka-Proxy-Server, um Zerka2 Remote und zerka2ctl ohne echten Server\n"
    "auszuprobieren. Er beantwortet auf dem Fernsteuerungsport die UDP-Abfragen 2\n"
    "(Leitungsstatus), 7 (DFÜ-Sperre) und 8 (Port der Verwaltung), führt die Befehle\n"
    "4 (Mail abholen), 5 (Abmelden), 6 (DFÜ-Sperre umschalten) und 99 (Server beenden)\n"
    "aus und liefert über TCP auf demselben Port die Leitungsdaten. Die Verwaltung\n"
    "antwortet unter /zerka-admin/; /zerka-admin/admin/?Restart=true startet neu.\n"
    "\n"
    "Dahinter steckt eine simulierte DFÜ-Leitung: \"Mail abholen\" wählt ein (3 s), nach\n"
    "120 s ohne Verkehr wird aufgelegt, jedes Mail-Abholen startet diese Frist neu.\n"
    "\n"
    "  --bind ADRESSE       IPv4-Adresse, an die gebunden wird (Vorgabe 127.0.0.1)\n"
    "  --port PORT          Fernsteuerungsport für UDP und TCP (Vorgabe 4295;\n"
    "                       0 wählt einen freien Port)\n"
    "  --admin-port PORT    Port der Verwaltungsoberfläche (Vorgabe 2506; 0 ebenso)\n"
    "  --user NAME          Benutzername der Verwaltung (HTTP-Basic-Anmeldung)\n"
    "  --password KENNWORT  Kennwort dazu (leer, wenn nicht angegeben)\n"
    "  --help               diese Hilfe\n"
    "\n"
    "Läuft, bis Strg+C gedrückt wird, SIGTERM eintrifft oder der Befehl 99 den Server\n"
    "beendet. Jede Anfrage wird hier protokolliert.\n";

struct Arguments {
  std::string bind = "127.0.0.1";
  std::uint16_t port = 4295;
  std::uint16_t adminPort = 2506;
  std::optional<std::string> user;
  std::optional<std::string> password;
  bool help = false;
};

std::uint16_t ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    throw std::invalid_argument("ungültiger Port: " + text);
  }
  const unsigned long value = std::stoul(text);
  if (value > 65535) throw std::invalid_argument("ungültiger Port: " + text);
  return static_cast<std::uint16_t>(value);
}

std::string ArgumentText(const std::string& utf8OrAnsi) {
#ifdef _WIN32
  return utf8OrAnsi;  // the Windows runtime hands over the ANSI code page, Latin-1 already
#else
  return zerka::Utf8ToLatin1(utf8OrAnsi);
#endif
}

Arguments Parse(const std::vector<std::string>& args) {
  Arguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      parsed.help = true;
      continue;
    }
    if (i + 1 >= args.size()) throw std::invalid_argument("unbekannte Option oder Wert fehlt: " + option);
    const std::string& value = args[++i];
    if (option == "--bind") {
      // A bad address is a wrong call (2), not a port that cannot be bound (1).
      zerka::sim::Endpoint::Parse(value, 0);
      parsed.bind = value;
    } else if (option == "--port") {
      parsed.port = ParsePort(value);
    } else if (option == "--admin-port") {
      parsed.adminPort = ParsePort(value);
    } else if (option == "--user") {
      parsed.user = ArgumentText(value);
    } else if (option == "--password") {
      parsed.password = ArgumentText(value);
    } else {
      throw std::invalid_argument("unbekannte Option: " + option);
    }
  }
  if (parsed.password && !parsed.user) throw std::invalid_argument("--password nur zusammen mit --user");
  return parsed;
}

}  // namespace

int main(int argc, char** argv) {
  zerka::sim::PrepareUtf8Console();
  Arguments arguments;
  try {
    arguments = Parse(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "zerka-sim: " << error.what() << "\nHilfe: zerka-sim --help\n";
    return 2;
  }
  if (arguments.help) {
    std::cout << kHelp;
    return 0;
  }

  zerka::sim::ServerOptions options;
  options.bindAddress = arguments.bind;
  options.remotePort = arguments.port;
  options.adminPort = arguments.adminPort;
  if (arguments.user) options.credentials = zerka::sim::Credentials{*arguments.user, arguments.password.value_or("")};
  options.log = [](const std::string& line) { std::cout << line << std::endl; };

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  try {
    zerka::sim::SimServer server(options);
    std::cout << "Zerka-Simulator läuft.\n"
              << "  Fernsteuerung (UDP und TCP): " << arguments.bind << ":" << server.RemotePort() << "\n"
              << "  Verwaltung: http://" << arguments.bind << ":" << server.AdminPort() << "/zerka-admin/";
    if (arguments.user) std::cout << " (Benutzer " << zerka::Latin1ToUtf8(*arguments.user) << ")";
    std::cout << "\nBeenden mit Strg+C." << std::endl;
    while (interrupted == 0 && !server.WaitUntilStopped(std::chrono::milliseconds(200))) {
    }
    server.Stop();
    std::cout << "Zerka-Simulator beendet." << std::endl;
  } catch (const std::exception& error) {
    std::cerr << "zerka-sim: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
