#include "monitor/Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>


namespace zerka {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kBrightGreen = 0x00FF00;
constexpr std::uint32_t kDarkGreen = 0x008000;
constexpr std::uint32_t kCyan = 0x00FFFF;
constexpr std::uint32_t kDarkBlue = 0x000080;
constexpr std::uint32_t kYellow = 0xFFFF00;
constexpr std::uint32_t kOlive = 0x808000;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kSilver = 0xC0C0C0;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kNone = 0xFFFFFFFF;  // the pixel must be transparent

// Points inside the tray pictures' parts.
struct TPoint {
  int X, Y;
};
constexpr TPoint kTopLeftBox{1, 2};
constexpr TPoint kTopRightBox{13, 2};
constexpr TPoint kBottomBox{1, 12};
constexpr TPoint kTopLink{7, 2};
constexpr TPoint kVerticalLink{2, 7};
constexpr TPoint kLogoMark{9, 9};
constexpr TPoint kTriangle{11, 8};
constexpr TPoint kPadlockBody{6, 9};
constexpr TPoint kBackground{14, 7};

void ExpectPixel(const TIconImage& image, TPoint at, std::uint32_t expected, int picture, const char* part) {
  SCOPED_TRACE(testing::Message() << "picture " << picture << ", " << part);
  if (expected == kNone) {
    EXPECT_TRUE(image.TransparentAt(at.X, at.Y));
    return;
  }
  EXPECT_FALSE(image.TransparentAt(at.X, at.Y));
  EXPECT_EQ(image.ColorAt(at.X, at.Y), expected);
}

// The state table: the colours of the parts and the overlay of each tray picture.
struct TRow {
  std::uint32_t TopLeft, TopLink, TopRight, Bottom, VerticalLink;
  TPoint Overlay;
  std::uint32_t OverlayColor;
};
const TRow kStateTable[] = {
    {kBrightGreen, kBrightGreen, kDarkGreen, kCyan, kBlack, kLogoMark, kRed},
    {kBrightGreen, kNone, kDarkGreen, kDarkBlue, kBlack, kLogoMark, kRed},
    {kBrightGreen, kBrightGreen, kBrightGreen, kCyan, kBlack, kLogoMark, kRed},
    {kDarkGreen, kNone, kDarkGreen, kDarkBlue, kBlack, kLogoMark, kRed},
    {kBrightGreen, kBrightGreen, kYellow, kCyan, kBlack, kLogoMark, kRed},
    {kBrightGreen, kBrightGreen, kOlive, kCyan, kBlack, kLogoMark, kRed},
    {kDarkGreen, kRed, kRed, kDarkBlue, kBlack, kTriangle, kYellow},
    {kRed, kNone, kDarkGreen, kDarkBlue, kRed, kTriangle, kYellow},
    {kDarkGreen, kBlack, kDarkGreen, kDarkBlue, kBlack, kPadlockBody, kSilver},
};
TEST(PicturesTest, TrayPicturesFollowTheStateTable) {
  const auto& pictures = TrayPictures();
  ASSERT_EQ(pictures.size(), std::size(kStateTable));
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    ASSERT_TRUE(pictures[i]);
    const TIconImage& image = *pictures[i];
    const TRow& row = kStateTable[i];
    const int index = static_cast<int>(i);
    ExpectPixel(image, kTopLeftBox, row.TopLeft, index, "top-left box");
    ExpectPixel(image, kTopLink, row.TopLink, index, "top link");
    ExpectPixel(image, kTopRightBox, row.TopRight, index, "top-right box");
    ExpectPixel(image, kBottomBox, row.Bottom, index, "bottom box");
    ExpectPixel(image, kVerticalLink, row.VerticalLink, index, "vertical link");
    ExpectPixel(image, row.Overlay, row.OverlayColor, index, "overlay");
    ExpectPixel(image, kBackground, kNone, index, "background");
    ExpectPixel(image, {0, 0}, kBlack, index, "box outline");
  }
}

TEST(PicturesTest, OverlaysAppearOnlyWhereTheTableSaysSo) {
  const auto& pictures = TrayPictures();
  for (int i = 0; i < 9; ++i) {
    const TIconImage& image = *pictures[i];
    int yellow = 0, red = 0;
    for (int y = 7; y < 16; ++y) {
      for (int x = 7; x < 16; ++x) {
        if (image.TransparentAt(x, y)) continue;
        yellow += image.ColorAt(x, y) == kYellow;
        red += image.ColorAt(x, y) == kRed;
      }
    }
    SCOPED_TRACE(testing::Message() << "picture " << i);
    const bool triangle = i == 6 || i == 7;
    const bool logo = i <= 5;
    EXPECT_EQ(yellow > 10, triangle);
    EXPECT_EQ(red > 20, logo);
  }
  // The padlock sits over the middle: grey and silver between the two top boxes and below.
  const TIconImage& locked = *pictures[8];
  for (TPoint at : {TPoint{6, 4}, TPoint{9, 4}, TPoint{7, 8}, TPoint{10, 11}}) {
    EXPECT_FALSE(locked.TransparentAt(at.X, at.Y));
    const std::uint32_t color = locked.ColorAt(at.X, at.Y);
    EXPECT_TRUE(color == kSilver || color == kGrey || color == kWhite) << at.X << "," << at.Y;
  }
}

TEST(PicturesTest, LargerTrayDrawingsFollowTheStateTable) {
  const auto& pictures = TrayPictures();
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const auto& drawings = pictures[i]->LargerDrawings;
    ASSERT_EQ(drawings.size(), 3u);
    const TRow& row = kStateTable[i];
    for (std::size_t d = 0; d < drawings.size(); ++d) {
      const TIconDrawing& drawing = *drawings[d];
      const int n = drawing.Side;
      constexpr int kSides[] = {20, 24, 32};
      ASSERT_EQ(n, kSides[d]);
      ASSERT_EQ(drawing.Colors.size(), static_cast<std::size_t>(n * n));
      SCOPED_TRACE(testing::Message() << "picture " << i << " at " << n);
      // Boxes of 8, 9 and 12 pixels in the corners; the links through their middles.
      const int box = n == 20 ? 8 : n == 24 ? 9 : 12;
      auto expect = [&](int x, int y, std::uint32_t color, const char* part) {
        SCOPED_TRACE(part);
        if (color == kNone) {
          EXPECT_TRUE(drawing.TransparentAt(x, y));
          return;
        }
        EXPECT_FALSE(drawing.TransparentAt(x, y));
        EXPECT_EQ(drawing.ColorAt(x, y), color);
      };
      expect(box / 2, box / 2, row.TopLeft, "top-left box");
      expect(n - 1 - box / 2, box / 2, row.TopRight, "top-right box");
      expect(box / 2, n - 1 - box / 2, row.Bottom, "bottom box");
      expect(box / 2, n / 2, row.VerticalLink, "vertical link");
      if (i != 8) expect(n / 2, box / 2, row.TopLink, "top link");
      expect(0, 0, kBlack, "box outline");
      expect(n / 2, 0, kNone, "background");
      int overlay = 0;
      for (int y = n / 2; y < n; ++y) {
        for (int x = n / 2 - 2; x < n; ++x) {
          overlay += !drawing.TransparentAt(x, y) && drawing.ColorAt(x, y) == row.OverlayColor;
        }
      }
      EXPECT_GT(overlay, n * n / 32) << "overlay colour";
    }
  }
}

// Relative luminance and contrast ratio as WCAG defines them; 3:1 is its least for the parts
// of a picture.
double Luminance(std::uint32_t rgb) {
  auto channel = [rgb](int shift) {
    const double v = ((rgb >> shift) & 0xFF) / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(16) + 0.7152 * channel(8) + 0.0722 * channel(0);
}
double Contrast(std::uint32_t a, std::uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Where the drawing meets its transparent ground, is the edge seen on a bar of this colour?
// From each ground pixel inwards, pixels the bar's own colour are passed over (a light edge on
// a white bar); the first other pixel, or the one behind it, must stand out 3:1. A run of the
// bar's colour that leads back to the ground is a part the bar swallows, unless each of its
// pixels lies beside one that stands out. Returns the first edge not seen, or "".
std::string UnseenEdge(const TIconDrawing& drawing, std::uint32_t bar) {
  constexpr std::pair<int, int> kSteps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  const int n = drawing.Side;
  auto drawn = [&](int x, int y) { return x >= 0 && y >= 0 && x < n && y < n && !drawing.TransparentAt(x, y); };
  auto standsOut = [&](int x, int y) { return drawn(x, y) && Contrast(drawing.ColorAt(x, y), bar) >= 3; };
  auto likeBar = [&](int x, int y) { return drawn(x, y) && Contrast(drawing.ColorAt(x, y), bar) < 1.1; };
  auto framed = [&](int x, int y) {
    return standsOut(x - 1, y) || standsOut(x + 1, y) || standsOut(x, y - 1) || standsOut(x, y + 1);
  };
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      if (drawn(x, y)) continue;
      for (const auto& [dx, dy] : kSteps) {
        int cx = x + dx, cy = y + dy;
        bool swallowed = false;
        for (; likeBar(cx, cy); cx += dx, cy += dy) swallowed |= !framed(cx, cy);
        const bool inside = cx >= 0 && cy >= 0 && cx < n && cy < n;
        const bool seen = !inside || (drawn(cx, cy) ? standsOut(cx, cy) || standsOut(cx + dx, cy + dy) : !swallowed);
        if (!seen) {
          return std::to_string(x) + "," + std::to_string(y) + " towards " + std::to_string(dx) + "," +
                 std::to_string(dy);
        }
      }
    }
  }
  return "";
}

// GNOME's top bar is black, many others are white: the boxes' black outlines and the dark blue
// box must not vanish into either.
TEST(PicturesTest, TrayPicturesStandOutOnABlackAndOnAWhiteBar) {
  for (std::size_t i = 0; i < TrayPictures().size(); ++i) {
    const TIconImage& picture = *TrayPictures()[i];
    TIconDrawing small;
    small.Side = TIconImage::kWidth;
    small.Colors.assign(picture.Colors.begin(), picture.Colors.end());
    small.Transparent.assign(picture.Transparent.begin(), picture.Transparent.end());
    std::vector<const TIconDrawing*> drawings = {&small};
    for (const auto& larger : picture.LargerDrawings) drawings.push_back(larger.get());
    for (const TIconDrawing* drawing : drawings) {
      const int side = drawing->Side;
      EXPECT_EQ(UnseenEdge(*drawing, kBlack), "") << "picture " << i << " at " << side << " on black";
      EXPECT_EQ(UnseenEdge(*drawing, kWhite), "") << "picture " << i << " at " << side << " on white";
    }
  }
}

TEST(PicturesTest, InitialTrayPictureLooksLikePictureZero) {
  ASSERT_TRUE(InitialTrayPicture());
  EXPECT_EQ(*InitialTrayPicture(), *TrayPictures()[0]);
}

TEST(PicturesTest, PicturesAreParsedOnce) {
  EXPECT_EQ(TrayPictures()[3], TrayPictures()[3]);
  EXPECT_EQ(MenuPictures()[1], MenuPictures()[1]);
  EXPECT_EQ(&ButtonGlyph(TGlyphKind::Ok), &ButtonGlyph(TGlyphKind::Ok));
  EXPECT_EQ(&ProgramIcon(), &ProgramIcon());
}

TEST(PicturesTest, MenuPicturesHaveAShapeOnATransparentGround) {
  const auto& pictures = MenuPictures();
  ASSERT_EQ(pictures.size(), 5u);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    ASSERT_TRUE(pictures[i]);
    int transparent = 0;
    for (bool clear : pictures[i]->Transparent) transparent += clear;
    EXPECT_GT(transparent, 10) << "menu picture " << i;
    EXPECT_LT(transparent, TIconImage::kPixels - 40) << "menu picture " << i;
  }
  // The cable is struck through in red.
  EXPECT_EQ(pictures[4]->ColorAt(8, 7), kRed);
}

TEST(PicturesTest, ButtonGlyphsAreTwoSixteenColourImagesWithAKeyColour) {
  for (TGlyphKind kind : {TGlyphKind::Ok, TGlyphKind::Close, TGlyphKind::Help, TGlyphKind::Cancel,
                          TGlyphKind::Apply}) {
    const TPicture& glyph = ButtonGlyph(kind);
    SCOPED_TRACE(testing::Message() << "glyph " << static_cast<int>(kind));
    ASSERT_EQ(glyph.Width, 36);
    ASSERT_EQ(glyph.Height, 18);
    const std::uint32_t key = glyph.ColorAt(0, 17);
    EXPECT_TRUE(glyph.TransparentAt(0, 17));
    std::set<std::uint32_t> colors;
    int normal = 0, disabled = 0;
    for (int y = 0; y < 18; ++y) {
      for (int x = 0; x < 36; ++x) {
        const std::uint32_t color = glyph.ColorAt(x, y);
        colors.insert(color);
        EXPECT_EQ(glyph.TransparentAt(x, y), color == key) << x << "," << y;
        if (color == key) continue;
        (x < 18 ? normal : disabled)++;
        // The disabled image is drawn in grey outlines with a white shadow.
        if (x >= 18) {
          EXPECT_TRUE(color == kGrey || color == kWhite) << x << "," << y;
        }
      }
    }
    EXPECT_LE(colors.size(), 16u);
    EXPECT_GT(normal, 20);
    EXPECT_GT(disabled, 20);
  }
  EXPECT_EQ(ButtonGlyph(TGlyphKind::Ok).ColorAt(14, 3), kBrightGreen);
  EXPECT_EQ(ButtonGlyph(TGlyphKind::Cancel).ColorAt(8, 8), kRed);
}

TEST(PicturesTest, ProgramIconIsThirtyTwoSquare) {
  const TPicture& icon = ProgramIcon();
  ASSERT_EQ(icon.Width, 32);
  ASSERT_EQ(icon.Height, 32);
  EXPECT_TRUE(icon.TransparentAt(16, 0));
  EXPECT_FALSE(icon.TransparentAt(0, 0));
}

}  // namespace
}  // namespace zerka
