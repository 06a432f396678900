#include "tools/StatusJson.h"

#include <cstdio>

#include "base/Latin1.h"
#include "remote/LineStatusText.h"

namespace zerka {

std::string JsonString(const std::string& latin1) {
  std::string json = "\"";
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\b': json += "\\b"; break;
      case '\f': json += "\\f"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          json += escaped;
        } else {
          json += Latin1ToUtf8(std::string(1, c));
        }
    }
  }
  return json + "\"";
}

std::string StatusJson(const ServerStatus& status) {
  return "{\"connections\": " + std::to_string(status.Connections) +
         ", \"line_state\": " + std::to_string(status.LineState) +
         ", \"line_text\": " + JsonString(LineStateText(status.LineState)) +
         ", \"lock_state\": " + std::to_string(status.LockState) +
         ", \"lock_text\": " + JsonString(LockStateText(status.LockState)) +
         ", \"seconds_until_hangup\": " + std::to_string(status.SecondsUntilHangup) +
         ", \"dialup_address\": " + JsonString(status.DialupAddress) +
         ", \"online_seconds\": " + std::to_string(status.OnlineSeconds) + "}";
}

std::string ErrorJson(const std::string& latin1Message) {
  return "{\"error\": " + JsonString(latin1Message) + "}";
}

}  // namespace zerka
