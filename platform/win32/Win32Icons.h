#pragma once
// Portable pictures as Win32 GDI objects. The caller owns what it gets.

#include <windows.h>

#include "framework/IconImage.h"
#include "framework/Picture.h"

namespace zerka::win32 {

// An icon with the picture's transparency as its mask; nullptr when GDI refuses.
HICON CreateIconFromImage(const TIconImage& image);
HICON CreateIconFromPicture(const TPicture& picture);
// A bitmap for a menu item: transparent pixels take the menu's background colour.
HBITMAP CreateMenuBitmap(const TIconImage& image);

}  // namespace zerka::win32
