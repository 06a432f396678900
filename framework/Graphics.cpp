#include "framework/Graphics.h"

namespace zerka {

void TIcon::SetImage(TIconImagePtr image) {
  image_ = std::move(image);
  if (OnChange) OnChange(this);
}

int TCustomImageList::Add(TIconImagePtr image) {
  images_.push_back(std::move(image));
  return Count() - 1;
}

TIconImagePtr TCustomImageList::Image(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return images_[static_cast<std::size_t>(index)];
}

}  // namespace zerka
