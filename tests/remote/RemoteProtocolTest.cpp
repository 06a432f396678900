#include <gtest/gtest.h>

#include <initializer_list>

#include "remote/RemoteProtocol.h"
#include "remote/Zerka2Remote.h"

namespace zerka {
namespace {

std::array<std::uint8_t, ReplyBufferSize> Reply(std::initializer_list<std::uint8_t> bytes) {
  std::array<std::uint8_t, ReplyBufferSize> reply{};
  std::copy(bytes.begin(), bytes.end(), reply.begin());
  return reply;
}

std::string Zeros(std::size_t count) { return std::string(count, '\0'); }

}  // namespace

TEST(SequenceNumber, RunsFromOneToTheTopAndWrapsToOneNeverZero) {
  EXPECT_EQ(NextSequence(0), 1);
  EXPECT_EQ(NextSequence(1), 2);
  EXPECT_EQ(NextSequence(65534), 65535);
  EXPECT_EQ(NextSequence(65535), 1);
}

TEST(RequestDatagram, SequenceLittleEndianThenCode) {
  const auto request = RequestDatagram(0x1234, 99);
  EXPECT_EQ(request, (std::array<std::uint8_t, 3>{0x34, 0x12, 99}));
}

TEST(ReplyData, AcceptedOnlyWithTheOwnSequenceAndStatusOne) {
  EXPECT_EQ(ReplyData(Reply({7, 0, 1, 1, 1}), 5, 7), "\x01" + Zeros(251));
  EXPECT_EQ(ReplyData(Reply({8, 0, 1, 1, 1}), 5, 7), "");
  EXPECT_EQ(ReplyData(Reply({7, 1, 1, 1, 1}), 5, 7), "");
  EXPECT_EQ(ReplyData(Reply({7, 0, 0, 1, 1}), 5, 7), "");
  EXPECT_EQ(ReplyData(Reply({7, 0, 2, 1, 1}), 5, 7), "");
  EXPECT_EQ(ReplyData(Reply({0xFF, 0xFF, 1, 1, 9}), 5, 65535), "\x09" + Zeros(251));
}

TEST(ReplyData, NoDataYieldsTwoHundredFiftyTwoZeros) {
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 0}), 4, 1), Zeros(252));
}

TEST(ReplyData, DataIsFollowedByZerosAndKeepsBytesAfterAZero) {
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 2, 0x90, 0x1F}), 6, 1), "\x90\x1F" + Zeros(250));
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 1, 0x50}), 5, 1), "\x50" + Zeros(251));
  // A port like 8192 has a zero low byte.
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 2, 0x00, 0x20}), 6, 1), std::string("\0\x20", 2) + Zeros(250));
}

TEST(ReplyData, NeverReadsBytesThatDidNotArrive) {
  // Stale bytes in the buffer beyond the datagram must not count as data.
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 3, 0x41, 0x42, 0x43}), 5, 1), "A" + Zeros(251));
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 0xFF, 0x41}), 4, 1), Zeros(252));
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 0}), 3, 1), "");
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 0}), 2, 1), "");
  EXPECT_EQ(ReplyData(Reply({1, 0, 1, 0}), 0, 1), "");
}

TEST(ReplyData, UsesAtMostTwoHundredFiftyTwoDataBytes) {
  auto reply = Reply({1, 0, 1, 255});
  std::fill(reply.begin() + 4, reply.end(), 'x');
  EXPECT_EQ(ReplyData(reply, 256, 1), std::string(252, 'x'));
}

TEST(LineStatusRecord, BigEndianCountersAndTheAddressUpToItsZero) {
  std::array<std::uint8_t, LineStatusRecordSize> record{0, 0, 0, 3, 0, 0, 0x0E, 0x10,
                                                        0, 0, 0, 0x78, 9, 9, 9, 9};
  const std::string address = "10.0.0.1";
  std::copy(address.begin(), address.end(), record.begin() + 16);
  const rsTcpInfo info = DecodeLineStatus(record);
  EXPECT_EQ(info.Connections, 3);
  EXPECT_EQ(info.OnlineSeconds, 3600);
  EXPECT_EQ(info.SecondsUntilHangup, 120);
  EXPECT_EQ(info.DialupAddress, "10.0.0.1");
}

TEST(LineStatusRecord, SignedCountersAndAddressWithoutTerminatorOrEmpty) {
  std::array<std::uint8_t, LineStatusRecordSize> record{0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0};
  std::fill(record.begin() + 16, record.end(), '7');
  rsTcpInfo info = DecodeLineStatus(record);
  EXPECT_EQ(info.Connections, -1);
  EXPECT_EQ(info.OnlineSeconds, INT32_MIN);
  EXPECT_EQ(info.DialupAddress, std::string(16, '7'));

  record[16] = 0;
  EXPECT_EQ(DecodeLineStatus(record).DialupAddress, "");
}

TEST(ServerMessage, TextFromByteFourUpToItsZeroOrTheEnd) {
  std::array<std::uint8_t, ServerMessageSize> message{'x', 'x', 'x', 'x', 'H', 'i', 0, 'y'};
  EXPECT_EQ(DecodeServerMessage(message), "Hi");
  std::fill(message.begin() + 4, message.end(), 0xDC);
  EXPECT_EQ(DecodeServerMessage(message), std::string(504, '\xDC'));
}

}  // namespace zerka
