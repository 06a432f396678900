// Portable pictures drawn through the GDI objects made from them.
#include "platform/win32/Win32Icons.h"
#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

constexpr COLORREF kBackground = RGB(0, 0, 255);

TIconImage Picture() {
  TIconImage image;
  image.Colors.fill(0x00FF8000u);  // orange: red FF, green 80, blue 00
  image.Colors[1] = 0x0000C000u;
  image.Transparent[0] = true;
  return image;
}

// Draws onto a blue 16x16 surface and reads two pixels back.
class TSurface {
 public:
  TSurface() : screen_(GetDC(nullptr)), dc_(CreateCompatibleDC(screen_)), bitmap_(CreateCompatibleBitmap(screen_, 16, 16)) {
    previous_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, 16, 16};
    HBRUSH blue = CreateSolidBrush(kBackground);
    FillRect(dc_, &all, blue);
    DeleteObject(blue);
  }
  ~TSurface() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC screen_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_ = nullptr;
};

TEST(Win32IconsTest, IconKeepsColoursAndLetsTheBackgroundThroughTransparentPixels) {
  HICON icon = win32::CreateIconFromImage(Picture());
  ASSERT_NE(icon, nullptr);
  TSurface surface;
  ASSERT_TRUE(DrawIconEx(surface.Dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL));
  DestroyIcon(icon);
  EXPECT_EQ(GetPixel(surface.Dc(), 0, 0), kBackground);
  EXPECT_EQ(GetPixel(surface.Dc(), 1, 0), RGB(0, 0xC0, 0));
  EXPECT_EQ(GetPixel(surface.Dc(), 5, 7), RGB(0xFF, 0x80, 0));
}

TEST(Win32IconsTest, MenuBitmapPutsTheMenuColourUnderTransparentPixels) {
  HBITMAP bitmap = win32::CreateMenuBitmap(Picture());
  ASSERT_NE(bitmap, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_MENU));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0xC0, 0));
  EXPECT_EQ(GetPixel(dc, 15, 15), RGB(0xFF, 0x80, 0));
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

}  // namespace
}  // namespace zerka
