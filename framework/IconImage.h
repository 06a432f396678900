#pragma once
// A 16x16 picture as portable pixel data: one colour per pixel and a transparency mask.
// Platforms turn it into their own icon (HICON, QIcon) at their edge.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace zerka {

// The same picture drawn anew at a larger square size, for screens with more dots per inch.
struct TIconDrawing {
  int Side = 0;
  // As in TIconImage, Side x Side pixels.
  std::vector<std::uint32_t> Colors;
  std::vector<bool> Transparent;

  std::uint32_t ColorAt(int x, int y) const { return Colors[static_cast<std::size_t>(y) * Side + x]; }
  bool TransparentAt(int x, int y) const { return Transparent[static_cast<std::size_t>(y) * Side + x]; }
};

struct TIconImage {
  static constexpr int kWidth = 16;
  static constexpr int kHeight = 16;
  static constexpr int kPixels = kWidth * kHeight;

  // 0x00RRGGBB per pixel, row by row from the top.
  std::array<std::uint32_t, kPixels> Colors{};
  // True where the pixel is transparent (the background shows through).
  std::array<bool, kPixels> Transparent{};

  std::uint32_t ColorAt(int x, int y) const { return Colors[y * kWidth + x]; }
  bool TransparentAt(int x, int y) const { return Transparent[y * kWidth + x]; }
  // Larger drawings of this picture, smallest first; a platform that needs another size picks
  // from these and the 16x16 pixels above.
  std::vector<std::shared_ptr<const TIconDrawing>> LargerDrawings;
  friend bool operator==(const TIconImage&, const TIconImage&) = default;
};

// Pictures are immutable once made; holders share them.
using TIconImagePtr = std::shared_ptr<const TIconImage>;

}  // namespace zerka
