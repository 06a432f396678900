#pragma once
// Portable pictures as Win32 GDI objects. The caller owns what it gets.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/IconImage.h"
#include "framework/Picture.h"

namespace zerka::win32 {

// Pixel data of any size on its way to GDI.
struct TPixels {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Colors;  // 0x00RRGGBB, rows from the top
  std::vector<bool> Transparent;
};

TPixels PixelsOf(const TIconImage& image);
TPixels PixelsOf(const TIconDrawing& drawing);
TPixels PixelsOf(const TPicture& picture);
// Each pixel becomes factor x factor pixels.
TPixels ScaleNearest(const TPixels& pixels, int factor);
// The picture at side x side pixels: its drawing of that size, else the drawing that a whole
// factor brings nearest to it, centred on a transparent ground.
TPixels PixelsAtSide(const TIconImage& image, int side);

// An icon with the pixels' transparency as its mask; nullptr when GDI refuses.
HICON CreateIconFromPixels(const TPixels& pixels);
HICON CreateIconFromImage(const TIconImage& image, int side = TIconImage::kWidth);
// A bitmap for a menu item: transparent pixels take the menu's background colour.
HBITMAP CreateMenuBitmap(const TPixels& pixels);
HBITMAP CreateMenuBitmap(const TIconImage& image, int side = TIconImage::kWidth);

}  // namespace zerka::win32
