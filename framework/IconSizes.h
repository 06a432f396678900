#pragma once
// A picture at the size a screen or a tray asks for: its own drawing of that size where there is
// one, else a drawing enlarged by a whole factor (each pixel repeated), so it stays crisp.

#include <cstddef>
#include <vector>

#include "framework/IconImage.h"

namespace zerka {

// Which drawing makes a picture of `side` pixels, and by which whole factor it is enlarged:
// the largest result not above side, the larger drawing on a tie. Without any that fits, the
// smallest drawing as it is.
struct TDrawingChoice {
  std::size_t Index = 0;
  int Factor = 1;
};
TDrawingChoice ChooseDrawing(const std::vector<int>& drawnSides, int side);

// The picture at side x side pixels, from the 16x16 pixels and the larger drawings, centred on
// a transparent ground where the chosen result is smaller. A side below 16 gives the 16x16
// pixels as they are.
TIconDrawing DrawingAtSide(const TIconImage& image, int side);

}  // namespace zerka
