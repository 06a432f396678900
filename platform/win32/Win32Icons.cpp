// Pictures for the shell, buttons and menus:
//  [x] HICON of any size from colour data and transparency mask (CreateIconIndirect)
//  [x] menu bitmaps on the menu colour (no alpha needed, so every shell draws them alike)
#include "platform/win32/Win32Icons.h"

#include <cstdint>
#include <vector>

namespace zerka::win32 {
namespace {

constexpr int kSize = TIconImage::kWidth;

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

template <class TImage>
HICON CreateIconOfSize(const TImage& image, int width, int height) {
  BITMAPINFO info = TopDownInfo(width, height, 32);
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!color) return nullptr;
  // Mask rows are whole 16-bit words; a set bit lets the background through.
  const int maskStride = (width + 15) / 16 * 2;
  std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(maskStride) * height);
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool transparent = image.TransparentAt(x, y);
      pixels[y * width + x] = transparent ? 0 : (0xFF000000u | (image.ColorAt(x, y) & 0xFFFFFFu));
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

}  // namespace

HICON CreateIconFromImage(const TIconImage& image) {
  return CreateIconOfSize(image, TIconImage::kWidth, TIconImage::kHeight);
}

HICON CreateIconFromPicture(const TPicture& picture) {
  return CreateIconOfSize(picture, picture.Width, picture.Height);
}

HBITMAP CreateMenuBitmap(const TIconImage& image) {
  BITMAPINFO info = TopDownInfo(kSize, TIconImage::kHeight, 24);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const COLORREF background = GetSysColor(COLOR_MENU);
  const std::uint32_t backgroundRgb =
      (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
  auto* bytes = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < TIconImage::kHeight; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const std::uint32_t rgb = image.TransparentAt(x, y) ? backgroundRgb : image.ColorAt(x, y);
      std::uint8_t* pixel = bytes + (y * kSize + x) * 3;  // rows of 48 bytes need no padding
      pixel[0] = static_cast<std::uint8_t>(rgb);
      pixel[1] = static_cast<std::uint8_t>(rgb >> 8);
      pixel[2] = static_cast<std::uint8_t>(rgb >> 16);
    }
  }
  return bitmap;
}

}  // namespace zerka::win32
