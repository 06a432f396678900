#pragma once
// The portable pictures as Qt images and icons. A picture at a larger size is its own drawing
// of that size or one whose pixels repeat a whole number of times, centred where the size is no
// multiple, so it stays crisp on scaled screens and in trays of any size.

#include <QIcon>
#include <QImage>

#include "framework/IconImage.h"
#include "framework/Picture.h"

namespace zerka::qt {

QImage ToImage(const TIconImage& picture);
// The picture on a size x size square (its 16x16 pixels below 16).
QImage ToImage(const TIconImage& picture, int size);
// An icon holding the picture at the tray sizes 16, 22, 24, 32 and 48 pixels. An empty
// picture gives a fully transparent icon, so that an icon always has a face.
QIcon ToIcon(const TIconImagePtr& picture);
// The windows' icon, for title bars, task bars and window switchers: the small picture's drawings
// at 16, 22, 24 and 48 pixels, the large 32x32 picture at 32 and 64, as the installed icons are.
QIcon ToWindowIcon(const TIconImage& small, const TPicture& large);

// A button's icon: the glyph's normal image, and its disabled image for the disabled mode.
QIcon ToButtonIcon(const TButtonGlyph& glyph);

}  // namespace zerka::qt
