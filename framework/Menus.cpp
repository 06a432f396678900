#include "framework/Menus.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Platform.h"

namespace zerka {

namespace {

std::int32_t lastCommand = 0;

}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner, TPopupMenu* menu) : TComponent(AOwner), menu_(menu), command_(++lastCommand) {
  if (menu_) menu_->items_.push_back(this);
}

TMenuItem::~TMenuItem() {
  if (menu_) std::erase(menu_->items_, this);
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

TPopupMenu::~TPopupMenu() {
  for (TMenuItem* item : items_) item->menu_ = nullptr;
}

void TPopupMenu::SetImages(TCustomImageList* images) {
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images_) images_->FreeNotification(this);
}

TPopupEntry TPopupMenu::Entry(const TMenuItem& item) const {
  TPopupEntry entry;
  entry.Caption = item.Caption;
  if (images_) entry.Picture = images_->Image(item.ImageIndex);
  entry.Default = item.Default;
  entry.Enabled = item.Enabled;
  entry.Checked = item.Checked;
  return entry;
}

TMenuItem* TPopupMenu::FindItem(std::int32_t command) const {
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [command](const TMenuItem* item) { return item->Command() == command; });
  return found == items_.end() ? nullptr : *found;
}

void TPopupMenu::Choose(TMenuItem* item) {
  if (std::find(items_.begin(), items_.end(), item) != items_.end() && !item->IsLine()) item->Click();
}

void TPopupMenu::Popup(TPoint screenPos) {
  std::vector<TPopupEntry> entries;
  entries.reserve(items_.size());
  for (const TMenuItem* item : items_) entries.push_back(Entry(*item));
  const TWindowHandle owner = Application ? Application->Handle() : 0;
  // Items may go away while the menu's loop runs; pick by identity afterwards.
  const std::vector<TMenuItem*> shown = items_;
  const int chosen = Platform().Dialogs().TrackPopupMenu(entries, screenPos, owner);
  if (chosen < 0 || chosen >= static_cast<int>(shown.size())) return;
  Choose(shown[static_cast<std::size_t>(chosen)]);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == images_) images_ = nullptr;
  if (AComponent == PopupComponent) PopupComponent = nullptr;
}

}  // namespace zerka
