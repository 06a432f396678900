#pragma once
// The texts the program shows for the server's state: in the monitor window's result fields,
// its tray tip and balloon, and in zerka2ctl's output. Latin-1, like every text of the system.

#include <array>
#include <cstdint>
#include <string>

namespace zerka {

extern const std::array<std::string, 5> LineStateTexts;
extern const std::array<std::string, 2> LockStateTexts;

// The table's text, or "Interner Fehler" for a value outside it (255 is a query without a
// valid reply).
std::string LineStateText(std::uint8_t lineState);
std::string LockStateText(std::uint8_t lockState);

// Hours:minutes:seconds, the hours as long as needed; a value of zero or below reads with a
// leading "-", so 0 gives "-0:00:00".
std::string FormatDuration(std::int32_t seconds);

// The four lines of the tray tip, separated by CR LF, from the texts on display.
std::string TrayTipText(const std::string& lineText, const std::string& lockText,
                        const std::string& untilHangupText, const std::string& addressText,
                        const std::string& onlineText);

// Title and text of the balloon raised when a state text changes (single CRs as line breaks).
std::string BalloonTitle();
std::string BalloonText(const std::string& lineText, const std::string& lockText);

}  // namespace zerka
