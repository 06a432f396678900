#include <gtest/gtest.h>

#include "base/Latin1.h"
#include "remote/LineStatusText.h"

namespace zerka {

TEST(StateTexts, TablesAndInternalErrorOutsideThem) {
  EXPECT_EQ(LineStateText(0), "Nicht verbunden");
  EXPECT_EQ(LineStateText(1), "Verbunden");
  EXPECT_EQ(LineStateText(2), "Verbindungsaufbau gescheitert");
  EXPECT_EQ(LineStateText(3), "Anwahl");
  EXPECT_EQ(LineStateText(4), "DF\xDC gesperrt");
  EXPECT_EQ(LineStateText(5), "Interner Fehler");
  EXPECT_EQ(LineStateText(255), "Interner Fehler");
  EXPECT_EQ(LockStateText(0), "DF\xDC nicht gesperrt");
  EXPECT_EQ(LockStateText(1), "DF\xDC gesperrt");
  EXPECT_EQ(LockStateText(2), "Interner Fehler");
  EXPECT_EQ(LockStateText(255), "Interner Fehler");
}

TEST(FormatDuration, HoursMinutesSecondsWithMinusForZeroAndBelow) {
  EXPECT_EQ(FormatDuration(3661), "1:01:01");
  EXPECT_EQ(FormatDuration(59), "0:00:59");
  EXPECT_EQ(FormatDuration(86400), "24:00:00");
  EXPECT_EQ(FormatDuration(0), "-0:00:00");
  EXPECT_EQ(FormatDuration(-75), "-0:01:15");
  EXPECT_EQ(FormatDuration(INT32_MAX), "596523:14:07");
  EXPECT_EQ(FormatDuration(INT32_MIN), "-596523:14:08");
}

TEST(TrayTip, FourLinesJoinedByCrLf) {
  EXPECT_EQ(TrayTipText("Verbunden", "DF\xDC nicht gesperrt", "0:01:59", "10.0.0.1", "1:00:00"),
            "Status: Verbunden (DF\xDC nicht gesperrt)\r\n"
            "Zeit bis Auflegen: 0:01:59\r\n"
            "IP: 10.0.0.1\r\n"
            "Onlinezeit: 1:00:00");
}

TEST(Balloon, TitleAndTextWithSingleCarriageReturns) {
  EXPECT_EQ(BalloonTitle(), "Zerka2 - Status\xE4nderung");
  EXPECT_EQ(BalloonText(LineStateText(1), LockStateText(0)),
            "DF\xDC-Status:\rVerbunden\r\rSperr-Status:\rDF\xDC nicht gesperrt");
}

}  // namespace zerka
