#pragma once
// Portable 16x16 pictures as Win32 GDI objects. The caller owns what it gets.

#include <windows.h>

#include "framework/IconImage.h"

namespace zerka::win32 {

// An icon with the picture's transparency as its mask; nullptr when GDI refuses.
HICON CreateIconFromImage(const TIconImage& image);
// A bitmap for a menu item: transparent pixels take the menu's background colour.
HBITMAP CreateMenuBitmap(const TIconImage& image);

}  // namespace zerka::win32
