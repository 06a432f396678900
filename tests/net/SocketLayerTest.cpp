#include <gtest/gtest.h>

#include "base/Latin1.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"

namespace zerka {

TEST(SocketErrorText, NumberCrLfAndTheGermanText) {
  EXPECT_EQ(SocketErrorText(10061), "Socket-Fehler # 10061\r\nVerbindung abgelehnt.");
  EXPECT_EQ(SocketErrorText(10035), "Socket-Fehler # 10035\r\nDie Operation würde blockieren. "_l1);
  EXPECT_EQ(SocketErrorText(10066), "Socket-Fehler # 10066\r\nVerzeichnis ist nicht leer");
  EXPECT_EQ(SocketErrorText(11001), "Socket-Fehler # 11001\r\n");
  EXPECT_EQ(ENetPackageSizeTooBig().Message(), "Package-Gr\xF6\xDF" "e zu hoch");
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

}  // namespace zerka
