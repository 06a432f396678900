#include "remote/RemoteProtocol.h"

#include <algorithm>

#include "remote/Zerka2Remote.h"

namespace zerka {
namespace {

constexpr std::size_t ReplyHeadSize = 4;
constexpr std::uint8_t ReplySuccess = 1;
constexpr std::size_t AddressOffset = 16;
constexpr std::size_t AddressSize = 16;
constexpr std::size_t MessageTextOffset = 4;

std::int32_t BigEndian32(const std::uint8_t* bytes) {
  const std::uint32_t value = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                              (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
  return static_cast<std::int32_t>(value);
}

std::string TextUpToZero(const std::uint8_t* bytes, std::size_t size) {
  const std::uint8_t* end = std::find(bytes, bytes + size, std::uint8_t{0});
  return std::string(bytes, end);
}

}  // namespace

std::uint16_t NextSequence(std::uint16_t current) {
  return current == 65535 ? 1 : static_cast<std::uint16_t>(current + 1);
}

std::array<std::uint8_t, 3> RequestDatagram(std::uint16_t sequence, std::uint8_t code) {
  return {static_cast<std::uint8_t>(sequence & 0xFF), static_cast<std::uint8_t>(sequence >> 8),
          code};
}

std::string ReplyData(const std::array<std::uint8_t, ReplyBufferSize>& reply, int received,
                      std::uint16_t sequence) {
  if (received < static_cast<int>(ReplyHeadSize)) return {};
  const std::uint16_t echoed = static_cast<std::uint16_t>(reply[0] | (reply[1] << 8));
  if (echoed != sequence || reply[2] != ReplySuccess) return {};
  const std::size_t arrived = std::min(static_cast<std::size_t>(received), reply.size());
  const std::size_t count =
      std::min({std::size_t{reply[3]}, ReplyDataSize, arrived - ReplyHeadSize});
  std::string data(ReplyDataSize, '\0');
  std::copy_n(reply.begin() + ReplyHeadSize, count, data.begin());
  return data;
}

rsTcpInfo DecodeLineStatus(const std::array<std::uint8_t, LineStatusRecordSize>& record) {
  rsTcpInfo info;
  info.Connections = BigEndian32(&record[0]);
  info.OnlineSeconds = BigEndian32(&record[4]);
  info.SecondsUntilHangup = BigEndian32(&record[8]);
  info.DialupAddress = TextUpToZero(&record[AddressOffset], AddressSize);
  return info;
}

std::string DecodeServerMessage(const std::array<std::uint8_t, ServerMessageSize>& message) {
  return TextUpToZero(&message[MessageTextOffset], ServerMessageSize - MessageTextOffset);
}

std::string RestartUrl(const std::string& host, std::int32_t adminPort) {
  return "http://" + host + ":" + std::to_string(adminPort) + "/zerka-admin/admin/?Restart=true";
}

}  // namespace zerka
