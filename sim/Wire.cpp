#include "sim/Wire.h"

namespace zerka::sim {

namespace {

void AppendBigEndian(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((bits >> shift) & 0xFF);
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
  const std::string_view kept = text.substr(0, width);
  out.append(kept);
  out.append(width - kept.size(), '\0');
}

}  // namespace

std::optional<DatagramRequest> ParseDatagramRequest(std::string_view datagram) {
  if (datagram.size() != 3) return std::nullopt;
  const auto low = static_cast<unsigned char>(datagram[0]);
  const auto high = static_cast<unsigned char>(datagram[1]);
  return DatagramRequest{static_cast<std::uint16_t>(low | (high << 8)), static_cast<std::uint8_t>(datagram[2])};
}

std::string DatagramReply(std::uint16_t sequence, std::uint8_t status, std::string_view data) {
  const std::string_view kept = data.substr(0, 255);
  std::string reply;
  reply += static_cast<char>(sequence & 0xFF);
  reply += static_cast<char>(sequence >> 8);
  reply += static_cast<char>(status);
  reply += static_cast<char>(kept.size());
  reply.append(kept);
  return reply;
}

std::string AnswerType(std::int32_t type) {
  std::string word;
  AppendBigEndian(word, type);
  return word;
}

std::string LineStatusAnswer(const LineStatus& status) {
  std::string answer = AnswerType(1);
  AppendBigEndian(answer, status.connections);
  AppendBigEndian(answer, status.onlineSeconds);
  AppendBigEndian(answer, status.secondsUntilHangup);
  answer.append(4, '\0');
  AppendPadded(answer, status.address, 16);
  return answer;
}

std::string ServerMessageAnswer(std::string_view text) {
  std::string answer = AnswerType(2);
  answer.append(4, '\0');
  AppendPadded(answer, text, 504);
  return answer;
}

}  // namespace zerka::sim
