#include "monitor/Xpm.h"

#include <gtest/gtest.h>

#include <vector>

namespace zerka {
namespace {

TEST(XpmTest, ReadsColoursTransparencyAndWideCharacters) {
  const char* const lines[] = {
      "3 2 3 2 1 0",
      "   c None",
      "r. s red c #FF0000",
      "b. c #0a0B0c m black",
      "r.  b.",
      "b.r.  ",
  };
  const TPicture picture = ParseXpm(lines);
  ASSERT_EQ(picture.Width, 3);
  ASSERT_EQ(picture.Height, 2);
  EXPECT_EQ(picture.ColorAt(0, 0), 0xFF0000u);
  EXPECT_FALSE(picture.TransparentAt(0, 0));
  EXPECT_TRUE(picture.TransparentAt(1, 0));
  EXPECT_EQ(picture.ColorAt(2, 0), 0x0A0B0Cu);
  EXPECT_EQ(picture.ColorAt(1, 1), 0xFF0000u);
  EXPECT_TRUE(picture.TransparentAt(2, 1));
  EXPECT_FALSE(picture.TransparentAt(0, 1));
}

struct TMalformed {
  const char* Why;
  std::vector<const char*> Lines;
};

TEST(XpmTest, RefusesMalformedData) {
  const std::vector<TMalformed> cases = {
      {"no lines", {}},
      {"null line", {"1 1 1 1", nullptr, "a"}},
      {"three values", {"1 1 1", "a c #000000", "a"}},
      {"letters in a value", {"1x 1 1 1", "a c #000000", "a"}},
      {"negative width", {"-1 1 1 1", "a c #000000", "a"}},
      {"zero height", {"1 0 1 1", "a c #000000"}},
      {"huge width", {"99999999 1 1 1", "a c #000000", "a"}},
      {"zero characters per pixel", {"1 1 1 0", "a c #000000", "a"}},
      {"hotspot outside", {"1 1 1 1 1 0", "a c #000000", "a"}},
      {"extension marker", {"1 1 1 1 XPMEXT", "a c #000000", "a"}},
      {"missing pixel row", {"1 2 1 1", "a c #000000", "a"}},
      {"missing colour line", {"1 1 2 1", "a c #000000", "a"}},
      {"extra line", {"1 1 1 1", "a c #000000", "a", "a"}},
      {"short row", {"2 1 1 1", "a c #000000", "a"}},
      {"long row", {"1 1 1 1", "a c #000000", "aa"}},
      {"undefined pixel", {"1 1 1 1", "a c #000000", "b"}},
      {"colour defined twice", {"1 1 2 1", "a c #000000", "a c #FFFFFF", "a"}},
      {"colour line without key", {"1 1 1 1", "a", "a"}},
      {"no blank after the characters", {"1 1 1 1", "ac #000000", "a"}},
      {"no c key", {"1 1 1 1", "a m #000000", "a"}},
      {"key without value", {"1 1 1 1", "a c", "a"}},
      {"unknown key", {"1 1 1 1", "a c #000000 q x", "a"}},
      {"two c keys", {"1 1 1 1", "a c #000000 c None", "a"}},
      {"short hex", {"1 1 1 1", "a c #00000", "a"}},
      {"bad hex digit", {"1 1 1 1", "a c #00000G", "a"}},
      {"colour name", {"1 1 1 1", "a c red", "a"}},
      {"colour name with a blank", {"1 1 1 1", "a c light grey", "a"}},
  };
  for (const auto& malformed : cases) {
    EXPECT_THROW(ParseXpm(malformed.Lines), EXpmError) << malformed.Why;
  }
}

TEST(XpmTest, ErrorTellsWhatIsWrong) {
  const char* const lines[] = {"2 1 1 1", "a c #000000", "a"};
  try {
    ParseXpm(lines);
    FAIL() << "a short row was accepted";
  } catch (const EXpmError& error) {
    EXPECT_EQ(error.Message(), "XPM: row 0 has 1 characters, expected 2");
  }
}

}  // namespace
}  // namespace zerka
