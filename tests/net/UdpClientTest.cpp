#include <gtest/gtest.h>

#include <string>

#include "net/NetExceptions.h"
#include "net/NetUDPClient.h"

namespace zerka {
namespace {

// A datagram socket bound on loopback that plays the other side.
class UdpPeer {
 public:
  UdpPeer() {
    handle_ = &owner_.EnsureSocket();
    handle_->BoundAddress = "127.0.0.1";
    handle_->BindLocal();
  }
  int Port() const { return handle_->BoundPort; }
  void SendTo(int port, const std::string& bytes) {
    handle_->SendTo("127.0.0.1", port, bytes.data(), static_cast<int>(bytes.size()));
  }
  std::string Receive() {
    std::string text(8192, '\0');
    std::string sender;
    text.resize(static_cast<std::size_t>(owner_.ReceiveDatagram(
        text.data(), static_cast<int>(text.size()), 2000, sender, lastSenderPort)));
    return text;
  }
  int lastSenderPort = 0;

 private:
  TNetUDPClient owner_;
  TNetSocketHandle* handle_ = nullptr;
};

class UdpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client.Host = "127.0.0.1";
    client.Port = peer.Port();
  }
  // The system gives the client its local port with the first send; the peer sees it.
  int ClientPort() {
    client.SendDatagram("x", 1);
    EXPECT_EQ(peer.Receive(), "x");
    return peer.lastSenderPort;
  }
  UdpPeer peer;
  TNetUDPClient client;
};

}  // namespace

TEST_F(UdpClientTest, AReceiveBeforeAnySendCreatesTheSocketAndFindsNothing) {
  EXPECT_FALSE(client.Active());
  EXPECT_EQ(client.ReceiveDatagramText(3), "");
  EXPECT_TRUE(client.Active());
  char buffer[8];
  std::string sender = "stale";
  int senderPort = 99;
  EXPECT_EQ(client.ReceiveDatagram(buffer, sizeof buffer, 0, sender, senderPort), 0);
  EXPECT_EQ(sender, "");
  EXPECT_EQ(senderPort, 0);
}

TEST_F(UdpClientTest, EveryExchangeLeavesFromTheSameLocalPort) {
  const int port = ClientPort();
  client.Host = "localhost";
  client.SendDatagram("b", 1);
  EXPECT_EQ(peer.Receive(), "b");
  EXPECT_EQ(peer.lastSenderPort, port);
}

TEST_F(UdpClientTest, A256ByteDatagramFillsTheBufferAnd257RaisesTooLong) {
  const int port = ClientPort();
  peer.SendTo(port, std::string(256, 'a'));
  peer.SendTo(port, std::string(257, 'b'));
  peer.SendTo(port, "after");
  char buffer[256];
  EXPECT_EQ(client.ReceiveDatagram(buffer, sizeof buffer, 2000), 256);
  try {
    client.ReceiveDatagram(buffer, sizeof buffer, 2000);
    FAIL() << "no exception";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.SocketErrorCode, 10040);
    EXPECT_EQ(e.Message(), "Socket-Fehler # 10040\r\nDie Botschaft ist zu lang.");
  }
  const int count = client.ReceiveDatagram(buffer, sizeof buffer, 2000);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(count)), "after");  // the long one is gone
}

TEST_F(UdpClientTest, TheTextReceiveTakesDatagramsUpTo8192Bytes) {
  const int port = ClientPort();
  const std::string big(8192, 'z');
  peer.SendTo(port, big);
  EXPECT_EQ(client.ReceiveDatagramText(2000), big);
}

TEST_F(UdpClientTest, AZeroLengthDatagramRaisesAndIsConsumed) {
  const int port = ClientPort();
  peer.SendTo(port, "");
  peer.SendTo(port, "next");
  try {
    client.ReceiveDatagramText(2000);
    FAIL() << "no exception";
  } catch (const ENetUDPReceiveErrorZeroBytes& e) {
    EXPECT_EQ(e.Message(), "UDP Empfangsfehler = 0.");
  }
  EXPECT_EQ(client.ReceiveDatagramText(2000), "next");
}

TEST_F(UdpClientTest, ADatagramFromAnUnrelatedSenderIsReturnedWithItsAddress) {
  const int port = ClientPort();
  UdpPeer stranger;
  stranger.SendTo(port, "hi");
  char buffer[16];
  std::string sender;
  int senderPort = 0;
  EXPECT_EQ(client.ReceiveDatagram(buffer, sizeof buffer, 2000, sender, senderPort), 2);
  EXPECT_EQ(sender, "127.0.0.1");
  EXPECT_EQ(senderPort, stranger.Port());
}

TEST_F(UdpClientTest, TheSocketSurvivesFailuresAndActiveFalseReleasesIt) {
  client.Host = "no-such-host.invalid";
  EXPECT_THROW(client.SendDatagram("a", 1), ENetSocketError);
  client.Host = "127.0.0.1";
  client.SendDatagram("b", 1);
  EXPECT_EQ(peer.Receive(), "b");
  client.SetActive(false);
  EXPECT_FALSE(client.Active());
  client.SendDatagram("c", 1);
  EXPECT_EQ(peer.Receive(), "c");
}

TEST_F(UdpClientTest, ADatagramOverTheIPv4LimitRaisesPackageSizeTooBig) {
  const std::string largest(65507, 'l');
  client.SendDatagram(largest.data(), static_cast<int>(largest.size()));
  const std::string tooLarge(65508, 'x');
  try {
    client.SendDatagram(tooLarge.data(), static_cast<int>(tooLarge.size()));
    FAIL() << "sent";
  } catch (const ENetPackageSizeTooBig& e) {
    EXPECT_EQ(e.Message(), "Package-Gr\xF6\xDF" "e zu hoch");
  }
}

}  // namespace zerka
