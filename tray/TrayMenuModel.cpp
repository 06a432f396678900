#include "tray/TrayMenuModel.h"

#include "framework/Menus.h"
#include "tray/SysTrayIcon.h"

namespace zerka {
namespace {

// The menu a right press would open: none while the icon ignores the mouse or the menu does
// not open by itself.
TPopupMenu* OpeningMenu(const TSysTrayIcon& icon) {
  TPopupMenu* menu = icon.PopupMenu();
  return icon.Enabled && menu && menu->AutoPopup ? menu : nullptr;
}

}  // namespace

std::vector<TMenuModelEntry> TTrayMenuModel::MenuEntries() {
  std::vector<TMenuModelEntry> entries;
  const TPopupMenu* menu = OpeningMenu(icon_);
  if (!menu) return entries;
  entries.reserve(menu->Items().size());
  for (const TMenuItem* item : menu->Items()) entries.push_back({item->Command(), menu->Entry(*item)});
  return entries;
}

bool TTrayMenuModel::ChooseMenuEntry(std::int32_t id) {
  TPopupMenu* menu = OpeningMenu(icon_);
  TMenuItem* item = menu ? menu->FindItem(id) : nullptr;
  if (!item) return false;
  menu->PopupComponent = &icon_;
  menu->Choose(item);
  return true;
}

}  // namespace zerka
