#pragma once
// The byte layouts of the server's remote protocol, kept apart from the sockets so they can be
// checked on their own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zerka {

struct rsTcpInfo;

constexpr std::size_t ReplyBufferSize = 256;
constexpr std::size_t ReplyDataSize = 252;
constexpr std::size_t LineStatusRecordSize = 32;
constexpr std::size_t ServerMessageSize = 508;

// Answer types of the stream exchange.
constexpr std::int32_t AnswerLineStatus = 1;
constexpr std::int32_t AnswerServerMessage = 2;

// The counter after the one that was last sent: 1..65535, 0 is never sent.
std::uint16_t NextSequence(std::uint16_t current);

// Sequence number little-endian, then the request code.
std::array<std::uint8_t, 3> RequestDatagram(std::uint16_t sequence, std::uint8_t code);

// The data of a reply of `received` bytes when it answers `sequence` with success: exactly 252
// characters, the data bytes first and zeros after them (so a port whose low byte is zero still
// reads right); the empty text for any other reply.
// Only bytes that arrived are read: a reply needs its 4-byte head, and its data ends with the
// datagram even when the length byte claims more.
std::string ReplyData(const std::array<std::uint8_t, ReplyBufferSize>& reply, int received,
                      std::uint16_t sequence);

// A type-1 record: three big-endian integers, four unused bytes, the address up to its first
// zero byte.
rsTcpInfo DecodeLineStatus(const std::array<std::uint8_t, LineStatusRecordSize>& record);

// A type-2 message: four unused bytes, then the text up to its first zero byte.
std::string DecodeServerMessage(const std::array<std::uint8_t, ServerMessageSize>& message);

// The restart request on the administration interface, with the host as configured.
std::string RestartUrl(const std::string& host, std::int32_t adminPort);

}  // namespace zerka
