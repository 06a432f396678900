#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "RecordingStack.h"
#include "ScriptedPeer.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"
#include "net/NetTCPClient.h"

namespace zerka {
namespace {

using test::ScriptedPeer;
using Then = ScriptedPeer::Then;
using Clock = std::chrono::steady_clock;

// The scripted peer answers once it has read a request head, i.e. up to an empty line.
void SendHead(TNetTCPClient& client) { client.SendLine("0\r\n"); }

class TcpClientTest : public ::testing::Test {
 protected:
  void Connect(ScriptedPeer& peer) {
    client.Host = "127.0.0.1";
    client.Port = peer.Port();
    client.OpenConnection();
    SendHead(client);
  }
  TNetTCPClient client;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

}  // namespace

TEST_F(TcpClientTest, SendLinePutsTheTextAndCrLfOnTheWire) {
  ScriptedPeer peer({{"", Then::Close}});
  client.Host = "localhost";
  client.Port = peer.Port();
  client.OpenConnection();
  client.SendLine("0");
  client.SendLine("");
  const auto requests = peer.Requests(1);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Head, "0\r\n\r\n");
}

TEST_F(TcpClientTest, Int32sArriveInNetworkOrder) {
  ScriptedPeer peer({{Bytes({0, 0, 0, 1, 0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x0E, 0x10})}});
  Connect(peer);
  EXPECT_EQ(client.ReceiveInt32(true), 1);
  EXPECT_EQ(client.ReceiveInt32(true), 2);
  EXPECT_EQ(client.ReceiveInt32(true), -1);
  EXPECT_EQ(client.ReceiveInt32(true), 3600);
}

TEST_F(TcpClientTest, QueuedBytesStayReadableAfterThePeerClosedButNoMore) {
  ScriptedPeer peer({{Bytes({0, 0, 0, 1}), Then::Close}});
  Connect(peer);
  EXPECT_EQ(client.ReceiveInt32(true), 1);
  char record[32];
  try {
    client.ReceiveExact(record, 32);
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), "Die Verbindung wurde erfolgreich geschlossen.");
  }
  EXPECT_FALSE(client.IsOpen());
}

TEST_F(TcpClientTest, APartialBlockBeforeTheCloseRaisesWithoutWaiting) {
  ScriptedPeer peer({{std::string(10, 'x'), Then::Close}});
  client.ReadTimeout = 5000;
  Connect(peer);
  const auto start = Clock::now();
  char record[32];
  EXPECT_THROW(client.ReceiveExact(record, 32), ENetConnClosedGracefully);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(TcpClientTest, BytesBeyondARequestStayQueuedUntilTheNextConnection) {
  ScriptedPeer peer({{std::string(40, 'r')}});
  Connect(peer);
  client.ReceiveInt32(true);
  char record[32];
  client.ReceiveExact(record, 32);
  EXPECT_EQ(client.InputQueue.Size(), 4u);
  client.CloseConnection();
  EXPECT_EQ(client.InputQueue.Size(), 4u);
  client.OpenConnection();
  EXPECT_TRUE(client.InputQueue.Empty());
}

TEST_F(TcpClientTest, ARefusedConnectRaises10061AndALaterConnectSucceeds) {
  int port;
  {
    ScriptedPeer gone({});
    port = gone.Port();
  }
  bool connected = false;
  client.Host = "127.0.0.1";
  client.Port = port;
  client.OnConnected = [&](TComponent*) { connected = true; };
  try {
    client.OpenConnection();
    FAIL() << "connected";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.SocketErrorCode, 10061);
    EXPECT_EQ(e.Message(), "Socket-Fehler # 10061\r\nVerbindung abgelehnt.");
  }
  EXPECT_FALSE(connected);
  ScriptedPeer peer({{"hi\r\n"}}, port);
  ASSERT_TRUE(peer.Listening());
  client.OpenConnection();
  EXPECT_TRUE(connected);
}

TEST_F(TcpClientTest, OpenTwiceRaisesAlreadyConnectedAndClosingTwiceIsHarmless) {
  ScriptedPeer peer({{"x"}});
  int disconnects = 0;
  client.OnDisconnected = [&](TComponent*) { ++disconnects; };
  Connect(peer);
  try {
    client.OpenConnection();
    FAIL() << "no exception";
  } catch (const ENetAlreadyConnected& e) {
    EXPECT_EQ(e.Message(), "Verbindung besteht bereits.");
  }
  client.CloseConnection();
  client.CloseConnection();
  EXPECT_EQ(disconnects, 1);
  EXPECT_TRUE(client.PeerClosed);
}

TEST_F(TcpClientTest, AnExceptionFromOnConnectedLeavesTheConnectionOpen) {
  ScriptedPeer peer({{"x"}});
  client.Host = "127.0.0.1";
  client.Port = peer.Port();
  client.OnConnected = [](TComponent*) { throw ENetNotEnoughDataInBuffer(); };
  EXPECT_THROW(client.OpenConnection(), ENetNotEnoughDataInBuffer);
  EXPECT_TRUE(client.IsOpen());
}

TEST_F(TcpClientTest, ASilentPeerEndsTheReadAfterReadTimeoutWith10060) {
  ScriptedPeer peer({{"", Then::Hold}});
  client.ReadTimeout = 300;
  Connect(peer);
  const auto start = Clock::now();
  try {
    client.ReceiveInt32(true);
    FAIL() << "no exception";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.SocketErrorCode, 10060);
  }
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  EXPECT_LT(waited, std::chrono::seconds(3));
}

TEST_F(TcpClientTest, ATrickleCannotStretchOneReadBeyondItsBound) {
  std::string trickle;
  for (int i = 0; i < 20; ++i) trickle += "a\n";
  ScriptedPeer peer({{trickle, Then::Hold, 100}});
  client.ReadTimeout = 400;
  Connect(peer);
  const auto start = Clock::now();
  char block[20];
  EXPECT_THROW(client.ReceiveExact(block, sizeof block), ENetSocketError);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(TcpClientTest, ReceiveLineWithItsOwnTimeoutReturnsEmptyAfterIt) {
  ScriptedPeer peer({{"partial", Then::Hold}});
  Connect(peer);
  EXPECT_EQ(client.ReceiveLine("", 100), "");
}

TEST_F(TcpClientTest, ReceiveLineDropsTheCrOnlyForTheDefaultTerminator) {
  ScriptedPeer peer({{"one\r\ntwo\r\nthree|"}});
  Connect(peer);
  EXPECT_EQ(client.ReceiveLine("", TimeoutInfinite), "one");
  EXPECT_EQ(client.ReceiveLine("\n", TimeoutInfinite), "two\r");
  EXPECT_EQ(client.ReceiveLine("|", TimeoutInfinite), "three");
}

TEST_F(TcpClientTest, AnEndlessLineIsRefusedAtTheLimit) {
  ScriptedPeer peer({{std::string(70000, 'h'), Then::Hold}});
  client.MaxLineLength = 1000;
  Connect(peer);
  EXPECT_THROW(client.ReceiveLine("", TimeoutInfinite), ENetProtocolLimitError);
  EXPECT_LT(client.InputQueue.Size(), 70000u);  // stopped reading early
}

TEST_F(TcpClientTest, SendingAfterThePeerClosedRaisesClosedGracefullyEvenWithBytesQueued) {
  ScriptedPeer peer({{"line\r\nqueued", Then::Close}});
  Connect(peer);
  ASSERT_TRUE(peer.WaitServerClosed(0));
  EXPECT_EQ(client.ReceiveLine("", TimeoutInfinite), "line");
  EXPECT_EQ(client.ReceiveLine("", 2000), "");  // no line end before the close
  EXPECT_EQ(client.InputQueue.View(), "queued");
  try {
    client.SendLine("0");
    FAIL() << "sent on a closed connection";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), "Die Verbindung wurde erfolgreich geschlossen.");
  }
}

TEST_F(TcpClientTest, AConnectThatNeverCompletesEndsAtConnectTimeoutWith10060) {
  // A listener that never accepts: once its backlog is full, the system leaves further
  // connects unanswered.
  ScriptedPeer unaccepting({});
  std::vector<std::unique_ptr<TNetTCPClient>> waiting;
  for (int attempt = 0; attempt < 32; ++attempt) {
    auto next = std::make_unique<TNetTCPClient>();
    next->Host = "127.0.0.1";
    next->Port = unaccepting.Port();
    next->ConnectTimeout = 300;
    const auto start = Clock::now();
    try {
      next->OpenConnection();
    } catch (const ENetSocketError& e) {
      if (e.SocketErrorCode == 10061) GTEST_SKIP() << "this system refuses at a full backlog";
      EXPECT_EQ(e.SocketErrorCode, 10060);
      const auto waited = Clock::now() - start;
      EXPECT_GE(waited, std::chrono::milliseconds(250));
      EXPECT_LT(waited, std::chrono::seconds(3));
      EXPECT_FALSE(next->IsOpen());
      return;
    }
    waiting.push_back(std::move(next));
  }
  FAIL() << "every connect completed";
}

class BoundedReadTest : public ::testing::Test {
 protected:
  BoundedReadTest() {
    SetStackFactory([s = shared] { return std::make_unique<TRecordingStack>(s); });
  }
  ~BoundedReadTest() override { SetStackFactory({}); }
  std::shared_ptr<TRecordingStack::Shared> shared = std::make_shared<TRecordingStack::Shared>();
};

TEST_F(BoundedReadTest, AFailedWaitIsRetriedUntilTheDeadlineReallyPassed) {
  ScriptedPeer peer({{Bytes({0, 0, 0, 7})}, {"", Then::Hold}});
  TNetTCPClient client;
  client.Host = "127.0.0.1";
  client.Port = peer.Port();
  client.ReadTimeout = 2000;
  client.OpenConnection();
  SendHead(client);
  shared->failNextWaits = 1;  // as a signal interrupting the wait would
  EXPECT_EQ(client.ReceiveInt32(true), 7);

  SendHead(client);
  client.ReadTimeout = 300;
  shared->failWaits = true;
  const auto start = Clock::now();
  try {
    client.ReceiveInt32(true);
    FAIL() << "no exception";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.SocketErrorCode, 10060);
  }
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(290));
}

}  // namespace zerka
