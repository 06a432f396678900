#pragma once
// zerka2ctl's JSON: one object per line, UTF-8, from the system's Latin-1 texts.

#include <optional>
#include <string>

#include "tools/StatusPoll.h"

namespace zerka {

// A Latin-1 text as a JSON string literal, quotes included. Every control character (C0, DEL
// and C1) is escaped, so the line never breaks and no terminal control reaches a reader.
std::string JsonString(const std::string& latin1);
// The same for a UTF-8 report; a byte that starts no character becomes U+FFFD.
std::string JsonUtf8String(const std::string& utf8);

// The status with the texts the window shows; keys in a fixed order.
std::string StatusJson(const ServerStatus& status);

// The poll's status: as above while its record is current; otherwise the record's fields are
// null and "message" says why. A time, when given, comes first as "time".
std::string PollJson(const PollResult& poll, const std::string& time = "");

std::string ErrorJson(const std::string& utf8Message, const std::string& time = "");

}  // namespace zerka
