#include "base/Exception.h"

#include <gtest/gtest.h>

#include "base/Latin1.h"

namespace zerka {

TEST(StrToInt, AcceptsWhatTheRuntimeAccepts) {
  EXPECT_EQ(StrToInt("4295"), 4295);
  EXPECT_EQ(StrToInt("  -12"), -12);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
}

TEST(StrToInt, RejectsOtherTextWithTheGermanMessage) {
  try {
    StrToInt("abc");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' ist kein gültiger Integerwert"_l1);
  }
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("12 "), EConvertError);
  EXPECT_THROW(StrToInt("2147483648"), EConvertError);
  EXPECT_EQ(StrToIntDef("x", 7), 7);
}

}  // namespace zerka
