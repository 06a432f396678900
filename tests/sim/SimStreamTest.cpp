#include <gtest/gtest.h>

#include "WireClient.h"
#include "base/Latin1.h"
#include "sim/SimServer.h"

namespace zerka::sim {
namespace {

using namespace std::chrono_literals;
using test::StreamClient;

class SimStreamTest : public ::testing::Test {
 protected:
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
  SimServer server{[this] {
    ServerOptions options;
    options.clock = clock;
    return options;
  }()};

  StreamClient Exchange() {
    StreamClient client(server.RemotePort());
    client.Send("0\r\n");
    return client;
  }
};

TEST_F(SimStreamTest, AnswersTypeOneWithTheBigEndianRecord) {
  server.WithLine([](LineModel& line) {
    line.SetConnections(3);
    line.SetConnected("10.0.0.1", 3600s, 120s);
  });
  StreamClient client = Exchange();
  const std::string expected = std::string("\0\0\0\x01", 4) + std::string("\0\0\0\x03", 4) +
                               std::string("\0\0\x0E\x10", 4) + std::string("\0\0\0\x78", 4) + std::string(4, '\0') +
                               "10.0.0.1" + std::string(8, '\0');
  EXPECT_EQ(client.Read(36), expected);

  clock->Advance(10s);
  client.Send("0\r\n");  // the connection keeps answering until the client goes
  const std::string again = client.Read(36);
  ASSERT_EQ(again.size(), 36u);
  EXPECT_EQ(again.substr(8, 4), std::string("\0\0\x0E\x1A", 4));  // 3610 s online
  EXPECT_EQ(server.GetTraffic().streamRequests, 2u);
}

TEST_F(SimStreamTest, LongAddressFillsAllSixteenBytes) {
  server.WithLine([](LineModel& line) { line.SetConnected("123.123.123.1234", 1s, 1s); });
  EXPECT_EQ(Exchange().Read(36).substr(20), "123.123.123.1234");
}

TEST_F(SimStreamTest, MessageAndUnknownType) {
  server.SetStreamFault(StreamFault::Message);
  server.SetServerMessage("Wartung läuft"_l1);
  const std::string message = Exchange().Read(512);
  ASSERT_EQ(message.size(), 512u);
  EXPECT_EQ(message.substr(0, 8), std::string("\0\0\0\x02\0\0\0\0", 8));
  EXPECT_EQ(message.substr(8, 14), std::string("Wartung l\xE4uft\0", 14));
  EXPECT_EQ(message.find_first_not_of('\0', 21), std::string::npos);

  server.SetStreamFault(StreamFault::UnknownType);
  StreamClient client = Exchange();
  EXPECT_EQ(client.Read(4), std::string("\0\0\0\x03", 4));
  EXPECT_EQ(client.Read(1, 100ms), "");
}

TEST_F(SimStreamTest, BrokenExchanges) {
  server.SetStreamFault(StreamFault::CloseAfterType);
  StreamClient closing = Exchange();
  EXPECT_EQ(closing.Read(36), std::string("\0\0\0\x01", 4));
  EXPECT_TRUE(closing.ClosedByServer());

  server.SetStreamFault(StreamFault::ResetMidRecord);
  StreamClient reset = Exchange();
  EXPECT_LT(reset.Read(36).size(), 36u);
  EXPECT_TRUE(reset.ClosedByServer());

  server.SetStreamFault(StreamFault::NeverAnswer);
  StreamClient quiet = Exchange();
  EXPECT_EQ(quiet.Read(1, 200ms), "");
  EXPECT_FALSE(quiet.ClosedByServer(0ms));
}

TEST_F(SimStreamTest, OtherRequestLinesCloseTheConnection) {
  StreamClient client(server.RemotePort());
  client.Send("1\r\n");
  EXPECT_TRUE(client.ClosedByServer());
  EXPECT_EQ(server.GetTraffic().lastStreamRequestLine, "1\r\n");
  EXPECT_EQ(server.GetTraffic().streamProtocolErrors, 0u);
}

TEST_F(SimStreamTest, ARequestLineWithoutCrIsAProtocolErrorRecordedAsSent) {
  StreamClient bare(server.RemotePort());
  bare.Send("0\n");
  EXPECT_EQ(bare.Read(4, 200ms), "");
  EXPECT_TRUE(bare.ClosedByServer());
  Traffic traffic = server.GetTraffic();
  EXPECT_EQ(traffic.streamProtocolErrors, 1u);
  EXPECT_EQ(traffic.lastStreamRequestLine, "0\n");

  EXPECT_EQ(Exchange().Read(36).size(), 36u);
  traffic = server.GetTraffic();
  EXPECT_EQ(traffic.lastStreamRequestLine, "0\r\n");
  EXPECT_EQ(traffic.streamProtocolErrors, 1u);
}

}  // namespace
}  // namespace zerka::sim
