#pragma once
// A picture of any size as portable pixel data, for pictures that are not 16x16 tray or menu
// pictures (button glyphs, the program icon).

#include <cstdint>
#include <memory>
#include <vector>

namespace zerka {

struct TPicture {
  int Width = 0;
  int Height = 0;
  // 0x00RRGGBB per pixel, row by row from the top.
  std::vector<std::uint32_t> Colors;
  // True where the pixel is transparent.
  std::vector<bool> Transparent;

  std::uint32_t ColorAt(int x, int y) const { return Colors[Index(x, y)]; }
  bool TransparentAt(int x, int y) const { return Transparent[Index(x, y)]; }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * Width + x; }
};

// A button's picture: the image it shows and the one it shows while disabled, of one size.
struct TButtonGlyph {
  TPicture Normal;
  TPicture Disabled;
};

// Pictures are immutable once made; buttons share them.
using TButtonGlyphPtr = std::shared_ptr<const TButtonGlyph>;

}  // namespace zerka
