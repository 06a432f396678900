#include <gtest/gtest.h>

#include "WireClient.h"
#include "sim/SimServer.h"

namespace zerka::sim {
namespace {

using namespace std::chrono_literals;
using test::DatagramClient;
using test::Request;

class SimDatagramTest : public ::testing::Test {
 protected:
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
  SimServer server{[this] {
    ServerOptions options;
    options.clock = clock;
    return options;
  }()};
  DatagramClient client{server.RemotePort()};

  std::optional<std::string> Ask(std::uint16_t sequence, std::uint8_t code) {
    client.Send(Request(sequence, code));
    return client.Receive();
  }
};

TEST_F(SimDatagramTest, QueriesEchoTheSequenceNumberWithStatusLengthAndData) {
  EXPECT_EQ(Ask(0x1234, 2), std::string("\x34\x12\x01\x01\x00", 5));
  EXPECT_EQ(Ask(0xFFFF, 7), std::string("\xFF\xFF\x01\x01\x00", 5));
  const std::uint16_t admin = server.AdminPort();
  EXPECT_EQ(Ask(1, 8), std::string("\x01\x00\x01\x02", 4) + static_cast<char>(admin & 0xFF) + static_cast<char>(admin >> 8));

  server.SetReportedAdminPort(8080);
  EXPECT_EQ(Ask(2, 8), std::string("\x02\x00\x01\x02\x90\x1F", 6));
  const Traffic traffic = server.GetTraffic();
  EXPECT_EQ(traffic.datagramsByCode[8], 2u);
  EXPECT_EQ(traffic.lastSequenceByCode[7], 0xFFFF);
  EXPECT_EQ(traffic.lastSequence, 2);
}

TEST_F(SimDatagramTest, CommandsActWithoutAReplyAndTheLineFollowsTheClock) {
  client.Send(Request(10, 4));  // fetch mail: dials
  EXPECT_EQ(Ask(11, 2), std::string("\x0B\x00\x01\x01\x03", 5));  // the command left no reply before it
  clock->Advance(3s);
  EXPECT_EQ(Ask(12, 2), std::string("\x0C\x00\x01\x01\x01", 5));

  client.Send(Request(13, 6));  // lock
  EXPECT_EQ(Ask(14, 2), std::string("\x0E\x00\x01\x01\x04", 5));
  EXPECT_EQ(Ask(15, 7), std::string("\x0F\x00\x01\x01\x01", 5));
  client.Send(Request(16, 6));  // unlock
  client.Send(Request(17, 5));  // log out
  EXPECT_EQ(Ask(18, 2), std::string("\x12\x00\x01\x01\x00", 5));
  EXPECT_EQ(server.GetTraffic().datagramReplies, 5u);
}

TEST_F(SimDatagramTest, FaultsBendTheReplies) {
  server.SetDatagramFault(DatagramFault::WrongSequence);
  EXPECT_EQ(Ask(0xFFFF, 2), std::string("\x00\x00\x01\x01\x00", 5));
  server.SetDatagramFault(DatagramFault::StatusZero);
  EXPECT_EQ(Ask(3, 2), std::string("\x03\x00\x00\x01\x00", 5));
  server.SetDatagramFault(DatagramFault::ZeroLength);
  EXPECT_EQ(Ask(4, 2), std::string());
  server.SetDatagramFault(DatagramFault::Oversized);
  const std::optional<std::string> big = Ask(5, 2);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->size(), 300u);
  EXPECT_EQ(big->substr(0, 5), std::string("\x05\x00\x01\x01\x00", 5));

  server.SetDatagramFault(DatagramFault::None);
  server.SetAnswerCommands(true);
  EXPECT_EQ(Ask(6, 5), std::string("\x06\x00\x01\x00", 4));

  server.SetAnswerCommands(false);
  server.SetDatagramFault(DatagramFault::Silent);
  client.Send(Request(7, 2));
  ASSERT_TRUE(server.WaitForTraffic([](const Traffic& t) { return t.lastSequence == 7; }, 2s));
  server.SetDatagramFault(DatagramFault::None);
  EXPECT_EQ(Ask(8, 2), std::string("\x08\x00\x01\x01\x00", 5));  // nothing from the silent one
}

TEST_F(SimDatagramTest, LateRepliesLeaveAfterTheirDelay) {
  server.SetReplyDelay(300ms);
  const auto sent = std::chrono::steady_clock::now();
  client.Send(Request(1, 2));
  EXPECT_FALSE(client.Receive(100ms));
  EXPECT_EQ(client.Receive(), std::string("\x01\x00\x01\x01\x00", 5));
  EXPECT_GE(std::chrono::steady_clock::now() - sent, 300ms);
}

TEST_F(SimDatagramTest, MalformedRequestsAreCountedAndIgnored) {
  client.Send(std::string("\x01\x00", 2));
  client.Send(std::string("\x01\x00\x02\x00", 4));
  EXPECT_EQ(Ask(2, 2), std::string("\x02\x00\x01\x01\x00", 5));
  const Traffic traffic = server.GetTraffic();
  EXPECT_EQ(traffic.malformedDatagrams, 2u);
  EXPECT_EQ(traffic.lastDatagram, std::string("\x02\x00\x02", 3));
}

TEST_F(SimDatagramTest, StopCommandEndsTheServer) {
  client.Send(Request(1, 99));
  EXPECT_TRUE(server.WaitUntilStopped(2s));
  EXPECT_EQ(server.GetTraffic().datagramsByCode[99], 1u);
}

}  // namespace
}  // namespace zerka::sim
