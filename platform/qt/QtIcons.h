#pragma once
// The portable 16x16 pictures as Qt images and icons.

#include <QIcon>
#include <QImage>

#include "framework/IconImage.h"

namespace zerka::qt {

QImage ToImage(const TIconImage& picture);
// An empty picture gives a fully transparent icon, so that an icon always has a face.
QIcon ToIcon(const TIconImagePtr& picture);

}  // namespace zerka::qt
