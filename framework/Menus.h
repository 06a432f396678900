#pragma once
// Popup menu model: items with a caption ("-" makes a separator), a picture from the menu's
// image list, a default mark and a click handler. Shown at a screen position, the menu runs
// its own modal loop; the chosen item's OnClick runs after it has closed. Each item has a
// command id of its own for its whole life, so a choice made elsewhere (a tray host's copy of
// the menu) finds its item even after others came or went.

#include <cstdint>
#include <vector>

#include "base/Component.h"
#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/Platform.h"

namespace zerka {

class TPopupMenu;

class TMenuItem : public TComponent {
 public:
  // The item belongs to its menu's list of items and is destroyed with its owner.
  TMenuItem(TComponent* AOwner, TPopupMenu* menu);
  ~TMenuItem() override;

  std::string Caption;
  int ImageIndex = -1;
  bool Default = false;
  bool Enabled = true;
  bool Checked = false;
  TNotifyEvent OnClick;

  bool IsLine() const { return Caption == "-"; }
  // Runs OnClick as if the item had been chosen.
  void Click();
  // Unique in the process, above 0.
  std::int32_t Command() const { return command_; }

 private:
  friend class TPopupMenu;
  TPopupMenu* menu_;
  std::int32_t command_;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  ~TPopupMenu() override;

  bool AutoPopup = true;
  // Top-level items in display order.
  const std::vector<TMenuItem*>& Items() const { return items_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images);
  // The component whose action opened the menu last.
  TComponent* PopupComponent = nullptr;

  // Shows the menu at a screen position; returns once it has closed.
  void Popup(TPoint screenPos);
  // The item as the menu shows it.
  TPopupEntry Entry(const TMenuItem& item) const;
  // The top-level item with that command id, or nullptr.
  TMenuItem* FindItem(std::int32_t command) const;
  // Runs an item chosen from the shown entries, unless it has gone or is a line.
  void Choose(TMenuItem* item);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TMenuItem;
  std::vector<TMenuItem*> items_;
  TCustomImageList* images_ = nullptr;
};

}  // namespace zerka
