// Pictures for the shell, buttons and menus:
//  [x] HICON from colour data and transparency mask (CreateIconIndirect), any size
//  [x] the picture's larger drawings where they exist, else whole-factor enlargement
//  [x] menu bitmaps on the menu colour (no alpha needed, so every shell draws them alike)
#include "platform/win32/Win32Icons.h"

#include "framework/IconSizes.h"

namespace zerka::win32 {
namespace {

BITMAPINFO TopDownInfo(int width, int height, WORD bitCount) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitCount;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

template <typename Picture>
TPixels CopyPixels(const Picture& picture, int width, int height) {
  TPixels pixels{width, height, {}, {}};
  pixels.Colors.assign(picture.Colors.begin(), picture.Colors.end());
  pixels.Transparent.assign(picture.Transparent.begin(), picture.Transparent.end());
  return pixels;
}

}  // namespace

TPixels PixelsOf(const TIconImage& image) { return CopyPixels(image, TIconImage::kWidth, TIconImage::kHeight); }

TPixels PixelsOf(const TIconDrawing& drawing) { return CopyPixels(drawing, drawing.Side, drawing.Side); }

TPixels PixelsOf(const TPicture& picture) { return CopyPixels(picture, picture.Width, picture.Height); }

TPixels ScaleNearest(const TPixels& pixels, int factor) {
  if (factor <= 1) return pixels;
  const int width = pixels.Width * factor, height = pixels.Height * factor;
  TPixels scaled{width, height, std::vector<std::uint32_t>(width * height), std::vector<bool>(width * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int from = (y / factor) * pixels.Width + x / factor;
      scaled.Colors[y * width + x] = pixels.Colors[from];
      scaled.Transparent[y * width + x] = pixels.Transparent[from];
    }
  }
  return scaled;
}

TPixels PixelsAtSide(const TIconImage& image, int side) { return PixelsOf(DrawingAtSide(image, side)); }

HICON CreateIconFromPixels(const TPixels& pixels) {
  const int width = pixels.Width, height = pixels.Height;
  BITMAPINFO info = TopDownInfo(width, height, 32);
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!color) return nullptr;
  // Mask rows are whole 16-bit words; a set bit lets the background through.
  const int maskStride = (width + 15) / 16 * 2;
  std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride) * height);
  auto* out = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int i = y * width + x;
      const bool transparent = pixels.Transparent[i];
      out[i] = transparent ? 0 : (0xFF000000u | (pixels.Colors[i] & 0xFFFFFFu));
      if (transparent) maskBits[y * maskStride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  HBITMAP mask = CreateBitmap(width, height, 1, 1, maskBits.data());
  HICON icon = nullptr;
  if (mask) {
    ICONINFO iconInfo{};
    iconInfo.fIcon = TRUE;
    iconInfo.hbmMask = mask;
    iconInfo.hbmColor = color;
    icon = CreateIconIndirect(&iconInfo);
    DeleteObject(mask);
  }
  DeleteObject(color);
  return icon;
}

HICON CreateIconFromImage(const TIconImage& image, int side) {
  return CreateIconFromPixels(PixelsAtSide(image, side));
}

HBITMAP CreateMenuBitmap(const TPixels& pixels) {
  const int width = pixels.Width, height = pixels.Height;
  BITMAPINFO info = TopDownInfo(width, height, 24);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const COLORREF background = GetSysColor(COLOR_MENU);
  const std::uint32_t backgroundRgb =
      (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
  const int stride = (width * 3 + 3) / 4 * 4;
  auto* bytes = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int i = y * width + x;
      const std::uint32_t rgb = pixels.Transparent[i] ? backgroundRgb : pixels.Colors[i];
      std::uint8_t* pixel = bytes + y * stride + x * 3;
      pixel[0] = static_cast<std::uint8_t>(rgb);
      pixel[1] = static_cast<std::uint8_t>(rgb >> 8);
      pixel[2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
  return bitmap;
}

HBITMAP CreateMenuBitmap(const TIconImage& image, int side) { return CreateMenuBitmap(PixelsAtSide(image, side)); }

}  // namespace zerka::win32
