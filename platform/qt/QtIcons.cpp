#include "platform/qt/QtIcons.h"

#include <QPixmap>

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

QIcon ToIcon(const TIconImagePtr& picture) {
  if (picture) return QIcon(QPixmap::fromImage(ToImage(*picture)));
  QImage blank(TIconImage::kWidth, TIconImage::kHeight, QImage::Format_ARGB32);
  blank.fill(Qt::transparent);
  return QIcon(QPixmap::fromImage(blank));
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
