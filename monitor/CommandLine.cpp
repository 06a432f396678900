#include "monitor/CommandLine.h"

#include "base/Latin1.h"
#include "base/ProjectVersion.h"

namespace zerka {

TCommandLine ParseCommandLine(const std::vector<std::string>& args, bool instanceKnown) {
  if (args.empty()) return {};
  // One option at a time: a second one would leave open which of them wins.
  if (args.size() > 1) return {TStartAction::Refused, args[1]};
  const std::string& option = args[0];
  if (option == "--autostart=on") return {TStartAction::AutostartOn, {}};
  if (option == "--autostart=off") return {TStartAction::AutostartOff, {}};
  if (option == "--quit" && instanceKnown) return {TStartAction::Quit, {}};
  if (option == "--terminate" && instanceKnown) return {TStartAction::Terminate, {}};
  if (option == "--help") return {TStartAction::Help, {}};
  if (option == "--version") return {TStartAction::Version, {}};
  return {TStartAction::Refused, option};
}

std::string RefusedOptionText(const std::string& argument, bool instanceKnown) {
  std::string text = "Unbekannte Option: " + argument + "\r\n\r\n" + "Mögliche Optionen:"_l1 +
                     "\r\n--autostart=on\tbeim Anmelden starten\r\n--autostart=off\tnicht mehr beim Anmelden starten";
  if (instanceKnown) {
    text += "\r\n--quit\tdas laufende Programm beenden\r\n--terminate\tdas laufende Programm sofort beenden";
  }
  return text;
}

std::string HelpText(bool instanceKnown) {
  std::string text =
      "Aufruf: zerka2remote [OPTION]\n"
      "\n"
      "Überwacht und steuert einen Zerka-Proxy-Server aus dem Infobereich. Ohne Option läuft\n"
      "das Programm im Infobereich; jede Option erledigt ihre Aufgabe und endet sofort.\n"
      "\n"
      "  --autostart=on    beim Anmelden starten\n"
      "  --autostart=off   nicht mehr beim Anmelden starten\n"_l1;
  if (instanceKnown) {
    text += "  --quit            das laufende Programm beenden\n"
            "  --terminate       das laufende Programm sofort beenden\n";
  }
  return text + "  --help            diese Hilfe\n"
                "  --version         die Version\n";
}

std::string VersionText() { return "zerka2remote " ZERKA_VERSION "\n"; }

}  // namespace zerka
