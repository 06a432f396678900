#pragma once
// Byte layouts of the remote protocol, as the server writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/LineModel.h"

namespace zerka::sim {

struct DatagramRequest {
  std::uint16_t sequence = 0;
  std::uint8_t code = 0;
};

// A request is exactly three bytes: the sequence number little-endian, then the code.
std::optional<DatagramRequest> ParseDatagramRequest(std::string_view datagram);

// Sequence number little-endian, status, data length, data (cut to 255 bytes).
std::string DatagramReply(std::uint16_t sequence, std::uint8_t status, std::string_view data);

// The answer type as a big-endian 32-bit word.
std::string AnswerType(std::int32_t type);

// Type 1 and the 32-byte record: connections, online seconds, seconds until hang-up (each
// big-endian), four unused bytes, the address zero-padded to 16 bytes.
std::string LineStatusAnswer(const LineStatus& status);

// Type 2 and the 508-byte message: four unused bytes, the text zero-padded to 504 bytes.
std::string ServerMessageAnswer(std::string_view text);

}  // namespace zerka::sim
