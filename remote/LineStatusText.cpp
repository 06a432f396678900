#include "remote/LineStatusText.h"

#include <cstdio>
#include <cstdlib>

#include "base/Latin1.h"

namespace zerka {

const std::array<std::string, 5> LineStateTexts = {
    "Nicht verbunden", "Verbunden", "Verbindungsaufbau gescheitert", "Anwahl",
    "DFÜ gesperrt"_l1};

const std::array<std::string, 2> LockStateTexts = {"DFÜ nicht gesperrt"_l1, "DFÜ gesperrt"_l1};

namespace {

const std::string InternalErrorText = "Interner Fehler";

template <std::size_t N>
std::string TextFor(const std::array<std::string, N>& table, std::uint8_t value) {
  return value < table.size() ? table[value] : InternalErrorText;
}

}  // namespace

std::string LineStateText(std::uint8_t lineState) { return TextFor(LineStateTexts, lineState); }

std::string LockStateText(std::uint8_t lockState) { return TextFor(LockStateTexts, lockState); }

std::string FormatDuration(std::int32_t seconds) {
  // Widened first: the most negative value has no positive counterpart in 32 bits.
  const long long magnitude = std::llabs(static_cast<long long>(seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld:%2.2lld:%2.2lld", seconds > 0 ? "" : "-",
                magnitude / 3600, (magnitude / 60) % 60, magnitude % 60);
  return text;
}

std::string TrayTipText(const std::string& lineText, const std::string& lockText,
                        const std::string& untilHangupText, const std::string& addressText,
                        const std::string& onlineText) {
  return "Status: " + lineText + " (" + lockText + ")\r\n" + "Zeit bis Auflegen: " +
         untilHangupText + "\r\n" + "IP: " + addressText + "\r\n" + "Onlinezeit: " + onlineText;
}

std::string BalloonTitle() { return "Zerka2 - Statusänderung"_l1; }

std::string BalloonText(const std::string& lineText, const std::string& lockText) {
  return "DFÜ-Status:\r"_l1 + lineText + "\r\rSperr-Status:\r" + lockText;
}

}  // namespace zerka
