#include "platform/qt/QtIcons.h"

#include <QPixmap>

#include <algorithm>

namespace zerka::qt {

QImage ToImage(const TIconImage& picture) {
  QImage image(TIconImage::kWidth, TIconImage::kHeight, QImage::Format_ARGB32);
  for (int y = 0; y < TIconImage::kHeight; ++y) {
    for (int x = 0; x < TIconImage::kWidth; ++x) {
      const QRgb opaque = 0xFF000000u | picture.ColorAt(x, y);
      image.setPixel(x, y, picture.TransparentAt(x, y) ? 0u : opaque);
    }
  }
  return image;
}

QImage ToImage(const TIconImage& picture, int size) {
  const int factor = std::max(1, std::min(size / TIconImage::kWidth, size / TIconImage::kHeight));
  const int left = (size - TIconImage::kWidth * factor) / 2;
  const int top = (size - TIconImage::kHeight * factor) / 2;
  const QImage source = ToImage(picture);
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int sx = x - left;
      const int sy = y - top;
      if (sx < 0 || sy < 0 || sx >= TIconImage::kWidth * factor || sy >= TIconImage::kHeight * factor) continue;
      image.setPixel(x, y, source.pixel(sx / factor, sy / factor));
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

QIcon ToButtonIcon(const TButtonGlyph& glyph) {
  QIcon icon;
  icon.addPixmap(ToPixmap(glyph.Normal), QIcon::Normal);
  icon.addPixmap(ToPixmap(glyph.Disabled), QIcon::Disabled);
  return icon;
}

}  // namespace zerka::qt
