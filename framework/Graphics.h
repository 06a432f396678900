#pragma once
// Pictures: an icon holding one 16x16 picture, and image lists of such pictures.

#include <vector>

#include "base/Component.h"
#include "framework/Events.h"
#include "framework/IconImage.h"

namespace zerka {

class TIcon : public TObject {
 public:
  TIcon() = default;

  bool Empty() const { return !image_; }
  // The picture, shared; empty when there is none.
  const TIconImagePtr& Image() const { return image_; }
  void SetImage(TIconImagePtr image);
  // Copies another icon's picture; OnChange runs once.
  void Assign(const TIcon& source) { SetImage(source.image_); }

  // Runs after every change of the picture, with the icon as Sender.
  TObjectEvent OnChange;

 private:
  TIconImagePtr image_;
};

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

  int Count() const { return static_cast<int>(images_.size()); }
  int Width() const { return TIconImage::kWidth; }
  int Height() const { return TIconImage::kHeight; }
  // Returns the new picture's index.
  int Add(TIconImagePtr image);
  void Clear() { images_.clear(); }
  // The picture at an index; empty for an index outside the list.
  TIconImagePtr Image(int index) const;
  // Copies picture `index` into an icon, which then tells its holder at once; an index
  // outside the list gives the icon an empty picture.
  void GetIcon(int index, TIcon& icon) const { icon.SetImage(Image(index)); }

 private:
  std::vector<TIconImagePtr> images_;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

}  // namespace zerka
