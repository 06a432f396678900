#include "framework/IconSizes.h"

namespace zerka {
namespace {

TIconDrawing AsDrawing(const TIconImage& image) {
  TIconDrawing drawing;
  drawing.Side = TIconImage::kWidth;
  drawing.Colors.assign(image.Colors.begin(), image.Colors.end());
  drawing.Transparent.assign(image.Transparent.begin(), image.Transparent.end());
  return drawing;
}

TIconDrawing EmptyDrawing(int side) {
  TIconDrawing drawing;
  drawing.Side = side;
  drawing.Colors.assign(static_cast<std::size_t>(side) * side, 0);
  drawing.Transparent.assign(static_cast<std::size_t>(side) * side, true);
  return drawing;
}

// Each pixel of `drawing` becomes factor x factor pixels at (left, top) of a side x side ground.
TIconDrawing Placed(const TIconDrawing& drawing, int factor, int side) {
  TIconDrawing result = EmptyDrawing(side);
  const int extent = drawing.Side * factor;
  const int offset = (side - extent) / 2;
  for (int y = 0; y < extent; ++y) {
    for (int x = 0; x < extent; ++x) {
      const std::size_t to = static_cast<std::size_t>(offset + y) * side + (offset + x);
      result.Colors[to] = drawing.ColorAt(x / factor, y / factor);
      result.Transparent[to] = drawing.TransparentAt(x / factor, y / factor);
    }
  }
  return result;
}

}  // namespace

TDrawingChoice ChooseDrawing(const std::vector<int>& drawnSides, int side) {
  TDrawingChoice best;
  int bestResult = 0;
  std::size_t smallest = 0;
  for (std::size_t i = 0; i < drawnSides.size(); ++i) {
    const int drawn = drawnSides[i];
    if (drawn <= 0) continue;
    if (drawn < drawnSides[smallest]) smallest = i;
    const int factor = side / drawn;
    if (factor < 1) continue;
    const int result = drawn * factor;
    if (result > bestResult || (result == bestResult && drawn > drawnSides[best.Index])) {
      best = {i, factor};
      bestResult = result;
    }
  }
  if (bestResult == 0) best = {smallest, 1};
  return best;
}

TIconDrawing DrawingAtSide(const TIconImage& image, int side) {
  std::vector<int> sides{TIconImage::kWidth};
  for (const auto& drawing : image.LargerDrawings) sides.push_back(drawing ? drawing->Side : 0);
  const TDrawingChoice choice = ChooseDrawing(sides, side);
  const TIconDrawing drawn = choice.Index == 0 ? AsDrawing(image) : *image.LargerDrawings[choice.Index - 1];
  const int extent = drawn.Side * choice.Factor;
  return Placed(drawn, choice.Factor, extent > side ? extent : side);
}

}  // namespace zerka
