// Pictures at the sizes screens and trays ask for: the drawing of that size where there is one,
// else whole-factor enlargement, centred.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/IconSizes.h"

namespace zerka {
namespace {

TEST(IconSizesTest, TheLargestWholeFactorResultNotAboveTheSideWins) {
  const std::vector<int> drawn{16, 20, 24, 32};
  struct TCase {
    int Side;
    std::size_t Index;
    int Factor;
  };
  for (const TCase& c : {TCase{16, 0, 1}, TCase{20, 1, 1}, TCase{22, 1, 1}, TCase{24, 2, 1}, TCase{28, 2, 1},
                         TCase{32, 3, 1}, TCase{40, 1, 2}, TCase{48, 2, 2}, TCase{64, 3, 2}, TCase{12, 0, 1}}) {
    const auto choice = ChooseDrawing(drawn, c.Side);
    EXPECT_EQ(choice.Index, c.Index) << "side " << c.Side;
    EXPECT_EQ(choice.Factor, c.Factor) << "side " << c.Side;
  }
}

// A 16x16 picture with a red top-left pixel on blue and a transparent bottom-right pixel, and a
// 24-pixel drawing in green.
TIconImage PictureWithA24Drawing() {
  TIconImage image;
  image.Colors.fill(0x0000FFu);
  image.Colors[0] = 0xFF0000u;
  image.Transparent[TIconImage::kPixels - 1] = true;
  auto drawing = std::make_shared<TIconDrawing>();
  drawing->Side = 24;
  drawing->Colors.assign(24 * 24, 0x00FF00u);
  drawing->Transparent.assign(24 * 24, false);
  image.LargerDrawings.push_back(drawing);
  return image;
}

TEST(IconSizesTest, TheDrawingOfTheSizeAskedForElseWholeFactorsCentred) {
  const TIconImage image = PictureWithA24Drawing();
  const TIconDrawing exact = DrawingAtSide(image, 24);
  ASSERT_EQ(exact.Side, 24);
  EXPECT_EQ(exact.ColorAt(0, 0), 0x00FF00u);

  const TIconDrawing doubled = DrawingAtSide(image, 32);
  ASSERT_EQ(doubled.Side, 32);
  // Nearest neighbour: the red pixel becomes 2x2, the transparent corner too.
  EXPECT_EQ(doubled.ColorAt(1, 1), 0xFF0000u);
  EXPECT_EQ(doubled.ColorAt(2, 2), 0x0000FFu);
  EXPECT_TRUE(doubled.TransparentAt(30, 30));
  EXPECT_FALSE(doubled.TransparentAt(29, 29));

  // 20 pixels from the 16x16 picture: unchanged in the middle, a transparent frame of 2.
  const TIconDrawing framed = DrawingAtSide(image, 20);
  ASSERT_EQ(framed.Side, 20);
  EXPECT_TRUE(framed.TransparentAt(0, 0));
  EXPECT_TRUE(framed.TransparentAt(19, 19));
  EXPECT_FALSE(framed.TransparentAt(2, 2));
  EXPECT_EQ(framed.ColorAt(2, 2), 0xFF0000u);

  // Smaller than any drawing: the 16x16 pixels as they are.
  const TIconDrawing small = DrawingAtSide(image, 12);
  ASSERT_EQ(small.Side, 16);
  EXPECT_EQ(small.ColorAt(0, 0), 0xFF0000u);
}

}  // namespace
}  // namespace zerka
