#include <gtest/gtest.h>

#include "RecordingStack.h"
#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"
#include "net/NetUDPClient.h"

namespace zerka {

TEST(SocketErrorText, NumberCrLfAndTheGermanText) {
  EXPECT_EQ(SocketErrorText(10061), "Socket-Fehler # 10061\r\nVerbindung abgelehnt.");
  EXPECT_EQ(SocketErrorText(10035), "Socket-Fehler # 10035\r\nDie Operation würde blockieren. "_l1);
  EXPECT_EQ(SocketErrorText(10066), "Socket-Fehler # 10066\r\nVerzeichnis ist nicht leer");
  EXPECT_EQ(SocketErrorText(11001), "Socket-Fehler # 11001\r\n");
  EXPECT_EQ(ENetSocketError(10060).Message(),
            "Socket-Fehler # 10060\r\nZeitüberschreitung bei Verbindung."_l1);
  EXPECT_EQ(ENetSocketError(10060).SocketErrorCode, 10060);
}

TEST(NetExceptions, FixedTextsAsLatin1Bytes) {
  EXPECT_EQ(ENetPackageSizeTooBig().Message(), "Package-Gr\xF6\xDF" "e zu hoch");
  EXPECT_EQ(ENetStackCanNotLoadWinsock("wsock32.dll").Message(),
            "wsock32.dll konnte nicht geladen werden.");
  EXPECT_EQ(ENetNotEnoughDataInBuffer().Message(), "Nicht gen\xFCgend Daten im Puffer.");
  EXPECT_EQ(ENetCouldNotBindSocket().Message(),
            "Socket konnte nicht gebunden werden. Adresse und Port werden bereits benutzt.");
}

TEST(IsDottedQuad, FourDecimalBytes) {
  EXPECT_TRUE(IsDottedQuad("127.0.0.1"));
  EXPECT_TRUE(IsDottedQuad("010.000.0.255"));
  EXPECT_FALSE(IsDottedQuad("1.2.3.4.5"));
  EXPECT_FALSE(IsDottedQuad("10.0.0.256"));
  EXPECT_FALSE(IsDottedQuad("192.168.0.300"));
  EXPECT_FALSE(IsDottedQuad("10.0.0"));
  EXPECT_FALSE(IsDottedQuad("a.b.c.d"));
  EXPECT_FALSE(IsDottedQuad("1.2.3.-4"));
  EXPECT_FALSE(IsDottedQuad(""));
}

TEST(ResolveToAddress, LocalhostAndDottedQuadsNeedNoLookup) {
  TNetUDPClient keepsLayerRunning;
  EXPECT_EQ(ResolveToAddress("localhost"), "127.0.0.1");
  EXPECT_EQ(ResolveToAddress("LocalHost"), "127.0.0.1");
  EXPECT_EQ(ResolveToAddress("LOCALHOST"), "127.0.0.1");
  EXPECT_EQ(ResolveToAddress("010.0.0.1"), "010.0.0.1");  // unchanged, not normalised
}

TEST(ResolveToAddress, UnknownHostRaisesTheLookupNumber) {
  TNetUDPClient keepsLayerRunning;
  try {
    ResolveToAddress("no-such-host.invalid");
    FAIL() << "resolved";
  } catch (const ENetSocketError& e) {
    EXPECT_GE(e.SocketErrorCode, 11001);
    EXPECT_LE(e.SocketErrorCode, 11004);
    EXPECT_EQ(e.Message(), SocketErrorText(e.SocketErrorCode));
  }
}

class StackFactoryTest : public ::testing::Test {
 protected:
  void TearDown() override { SetStackFactory({}); }
  std::shared_ptr<TRecordingStack::Shared> shared = std::make_shared<TRecordingStack::Shared>();
  void UseRecordingStack() {
    SetStackFactory([s = shared] { return std::make_unique<TRecordingStack>(s); });
  }
};

TEST_F(StackFactoryTest, LayerStartsWithTheFirstComponentAndStopsWithTheLast) {
  UseRecordingStack();
  EXPECT_FALSE(SocketLayerRunning());
  {
    TNetUDPClient first;
    {
      TNetUDPClient second;
      EXPECT_TRUE(SocketLayerRunning());
    }
    EXPECT_TRUE(SocketLayerRunning());
  }
  EXPECT_FALSE(SocketLayerRunning());
  TNetUDPClient later;
  EXPECT_EQ(shared->starts, 2);
}

TEST_F(StackFactoryTest, FailedStartLeavesNoLayerAndTheNextComponentTriesAgain) {
  SetStackFactory([]() -> std::unique_ptr<TNetStack> { throw ENetStackInitializationFailed(); });
  EXPECT_THROW(TNetUDPClient client, ENetStackInitializationFailed);
  EXPECT_FALSE(SocketLayerRunning());
  UseRecordingStack();
  TNetUDPClient client;
  EXPECT_TRUE(SocketLayerRunning());
}

TEST_F(StackFactoryTest, WaitLimitsAreSecondsAndMicroseconds) {
  UseRecordingStack();
  TNetUDPClient client;
  TNetSocketHandle& handle = client.EnsureSocket();
  shared->failWaits = true;  // nothing to wait for: only the limits passed matter
  handle.WaitReadable(0);
  handle.WaitReadable(500);
  handle.WaitReadable(1500);
  ASSERT_EQ(shared->waits.size(), 3u);
  EXPECT_EQ(shared->waits[0].Seconds, 0);
  EXPECT_EQ(shared->waits[0].Microseconds, 0);
  EXPECT_EQ(shared->waits[1].Seconds, 0);
  EXPECT_EQ(shared->waits[1].Microseconds, 500000);
  EXPECT_EQ(shared->waits[2].Seconds, 1);
  EXPECT_EQ(shared->waits[2].Microseconds, 500000);
}

TEST_F(StackFactoryTest, ADefaultTimeoutTakesReceiveTimeoutAndAFailedWaitIsNothingReadable) {
  UseRecordingStack();
  TNetUDPClient client;
  client.ReceiveTimeout = 5000;
  shared->failWaits = true;  // returns at once, so the 5 s are never waited
  char buffer[16];
  EXPECT_EQ(client.ReceiveDatagram(buffer, sizeof buffer, TimeoutDefault), 0);
  ASSERT_EQ(shared->waits.size(), 1u);
  EXPECT_EQ(shared->waits[0].Seconds, 5);
  EXPECT_EQ(shared->waits[0].Microseconds, 0);
  client.ReceiveTimeout = TimeoutInfinite;
  EXPECT_EQ(client.ReceiveDatagram(buffer, sizeof buffer, TimeoutDefault), 0);
  EXPECT_EQ(shared->waits[1].Seconds, -1);  // no limit passed
}

TEST(SocketHandle, WaitOnAReleasedSocketRaisesClosedGracefully) {
  TNetUDPClient client;
  TNetSocketHandle& handle = client.EnsureSocket();
  handle.ReleaseSocket(true);
  try {
    handle.WaitReadable(0);
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), "Die Verbindung wurde erfolgreich geschlossen.");
  }
}

TEST(SocketHandle, BindingAnAddressInUseRaisesCouldNotBind) {
  TNetUDPClient first;
  TNetSocketHandle& taken = first.EnsureSocket();
  taken.BoundAddress = "127.0.0.1";
  taken.BindLocal();
  ASSERT_NE(taken.BoundPort, 0);
  TNetUDPClient second;
  TNetSocketHandle& handle = second.EnsureSocket();
  handle.BoundAddress = "127.0.0.1";
  handle.BoundPort = taken.BoundPort;
  EXPECT_THROW(handle.BindLocal(), ENetCouldNotBindSocket);
}

}  // namespace zerka
