#include "tools/StatusJson.h"

#include <cstdio>

#include "base/Latin1.h"
#include "remote/LineStatusText.h"
#include "tools/Utf8.h"

namespace zerka {
namespace {

std::string Opening(const std::string& time) {
  return time.empty() ? "{" : "{\"time\": " + JsonString(time) + ", ";
}

std::string Body(const ServerStatus& status, bool recordCurrent) {
  const auto number = [&](std::int32_t value) {
    return recordCurrent ? std::to_string(value) : std::string("null");
  };
  return "\"connections\": " + number(status.Connections) +
         ", \"line_state\": " + std::to_string(status.LineState) +
         ", \"line_text\": " + JsonString(LineStateText(status.LineState)) +
         ", \"lock_state\": " + std::to_string(status.LockState) +
         ", \"lock_text\": " + JsonString(LockStateText(status.LockState)) +
         ", \"seconds_until_hangup\": " + number(status.SecondsUntilHangup) +
         ", \"dialup_address\": " +
         (recordCurrent ? JsonString(status.DialupAddress) : std::string("null")) +
         ", \"online_seconds\": " + number(status.OnlineSeconds);
}

}  // namespace

std::string JsonString(const std::string& latin1) { return JsonUtf8String(Latin1ToUtf8(latin1)); }

std::string JsonUtf8String(const std::string& utf8) {
  std::string json = "\"";
  for (std::size_t i = 0; i < utf8.size();) {
    const CodePoint c = DecodeUtf8At(utf8, i);
    switch (c.Value) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\b': json += "\\b"; break;
      case '\f': json += "\\f"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (!c.Valid) {
          json += "\\ufffd";
        } else if (IsControl(c.Value)) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c.Value));
          json += escaped;
        } else {
          json += utf8.substr(i, c.Length);
        }
    }
    i += c.Length;
  }
  return json + "\"";
}

std::string StatusJson(const ServerStatus& status) {
  std::string json = "{";
  json += Body(status, true);
  return json + "}";
}

std::string PollJson(const PollResult& poll, const std::string& time) {
  const auto stale = poll.StaleBecause();
  std::string json = Opening(time) + Body(*poll.Status, !stale);
  if (stale) json += ", \"message\": " + JsonUtf8String(*stale);
  return json + "}";
}

std::string ErrorJson(const std::string& utf8Message, const std::string& time) {
  return Opening(time) + "\"error\": " + JsonUtf8String(utf8Message) + "}";
}

}  // namespace zerka
