#pragma once
// The portable pictures as Qt images and icons.

#include <QIcon>
#include <QImage>

#include "framework/IconImage.h"
#include "framework/Picture.h"

namespace zerka::qt {

QImage ToImage(const TIconImage& picture);
// An empty picture gives a fully transparent icon, so that an icon always has a face.
QIcon ToIcon(const TIconImagePtr& picture);
// A button's icon: the glyph's normal image, and its disabled image for the disabled mode.
QIcon ToButtonIcon(const TButtonGlyph& glyph);

}  // namespace zerka::qt
