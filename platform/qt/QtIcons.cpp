#include "platform/qt/QtIcons.h"

#include <QPixmap>

#include "framework/IconSizes.h"

namespace zerka::qt {

QImage ToImage(const TIconImage& picture) { return ToImage(picture, TIconImage::kWidth); }

QImage ToImage(const TIconImage& picture, int size) {
  const TIconDrawing drawing = DrawingAtSide(picture, size);
  QImage image(drawing.Side, drawing.Side, QImage::Format_ARGB32);
  for (int y = 0; y < drawing.Side; ++y) {
    for (int x = 0; x < drawing.Side; ++x) {
      image.setPixel(x, y, drawing.TransparentAt(x, y) ? 0u : 0xFF000000u | drawing.ColorAt(x, y));
    }
  }
  return image;
}

QIcon ToIcon(const TIconImagePtr& picture) {
  TIconImage blank;
  blank.Transparent.fill(true);
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48}) icon.addPixmap(QPixmap::fromImage(ToImage(picture ? *picture : blank, size)));
  return icon;
}

namespace {

QPixmap ToPixmap(const TPicture& picture) {
  QImage image(picture.Width, picture.Height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.Height; ++y) {
    for (int x = 0; x < picture.Width; ++x) {
      image.setPixel(x, y, picture.TransparentAt(x, y) ? 0u : 0xFF000000u | picture.ColorAt(x, y));
    }
  }
  return QPixmap::fromImage(image);
}

}  // namespace

QIcon ToWindowIcon(const TIconImage& small, const TPicture& large) {
  QIcon icon;
  for (const int size : {16, 22, 24, 48}) icon.addPixmap(QPixmap::fromImage(ToImage(small, size)));
  const QPixmap drawn = ToPixmap(large);
  icon.addPixmap(drawn);
  icon.addPixmap(drawn.scaled(drawn.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  return icon;
}

QIcon ToButtonIcon(const TButtonGlyph& glyph) {
  QIcon icon;
  icon.addPixmap(ToPixmap(glyph.Normal), QIcon::Normal);
  icon.addPixmap(ToPixmap(glyph.Disabled), QIcon::Disabled);
  return icon;
}

}  // namespace zerka::qt
