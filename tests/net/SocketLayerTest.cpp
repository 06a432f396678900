#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>

#include "RecordingStack.h"
#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"
#include "net/NetUDPClient.h"

namespace zerka {

TEST(SocketErrorText, EveryNumberOfTheTableByteForByte) {
  const std::pair<std::int32_t, std::string> table[] = {
      {10004, "Unterbrochener Systemaufruf."},
      {10009, "Falsche Dateinummer."},
      {10013, "Zugriff verweigert."},
      {10014, "Falsche Adresse."},
      {10022, "Ungültiges Argument."_l1},
      {10024, "Zu viele geöffnete Dateien."_l1},
      {10035, "Die Operation würde blockieren. "_l1},
      {10036, "Die Operation wird gerade durchgeführt."_l1},
      {10037, "Die Operation wird bereits durchgeführt."_l1},
      {10038, "Socket-Operation auf Nicht-Socket."},
      {10039, "Zieladresse erforderlich."},
      {10040, "Die Botschaft ist zu lang."},
      {10041, "Das Protokoll hat für Socket den falschen Typ."_l1},
      {10042, "Falsche Protokolloption."},
      {10043, "Protokoll wird nicht unterstützt."_l1},
      {10044, "Socket-Typ wird nicht unterstützt."_l1},
      {10045, "Die Operation wird bei Socket nicht unterstützt."_l1},
      {10046, "Die Protokollfamilie wird nicht unterstützt."_l1},
      {10047, "Die Adreßfamilie wird von der Protokollfamilie nicht unterstützt."_l1},
      {10048, "Die Adresse ist bereits in Gebrauch."},
      {10049, "Die angeforderte Adresse kann nicht zugewiesen werden."},
      {10050, "Netzwerk ist ausgefallen."},
      {10051, "Netzwerk ist nicht erreichbar."},
      {10052, "Netz hat die Verbindung verloren oder zurückgesetzt."_l1},
      {10053, "Die Software hat den Abbruch der Verbindung verursacht."},
      {10054, "Die Verbindung wurde von Peer zurückgesetzt."_l1},
      {10055, "Es ist kein Pufferplatz verfügbar."_l1},
      {10056, "Socket ist bereits verbunden."},
      {10057, "Socket ist nicht verbunden."},
      {10058, "Nach Schließen des Socket kann weder gesendet noch empfangen werden."_l1},
      {10059, "Zu viele Referenzen."},
      {10060, "Zeitüberschreitung bei Verbindung."_l1},
      {10061, "Verbindung abgelehnt."},
      {10062, "Zu viele Ebenen von symbolischen Links."},
      {10063, "Dateiname ist zu lang."},
      {10064, "Der Host ist ausgefallen."},
      {10065, "Keine Route zum Host."},
      {10066, "Verzeichnis ist nicht leer"},
  };
  ASSERT_EQ(std::size(table), 38u);
  for (const auto& [number, text] : table) {
    EXPECT_EQ(SocketErrorText(number), "Socket-Fehler # " + std::to_string(number) + "\r\n" + text);
    const ENetSocketError error(number);
    EXPECT_EQ(error.SocketErrorCode, number);
    EXPECT_EQ(error.Message(), SocketErrorText(number));
  }
  // Numbers outside the table, among them those of a failed name lookup, end with the CR LF.
  for (const std::int32_t number : {0, 10000, 10003, 10005, 10034, 10067, 11001}) {
    EXPECT_EQ(SocketErrorText(number), "Socket-Fehler # " + std::to_string(number) + "\r\n");
  }
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
