#pragma once
// The tray icon's popup menu for tray hosts that draw menus themselves: the entries the popup
// would show if the user pressed the right button now, and a choice made in the host's copy
// run as the same choice in the popup runs. No mouse event is raised for either: the user
// pressed nothing of ours.

#include "framework/Platform.h"

namespace zerka {

class TSysTrayIcon;

class TTrayMenuModel : public IMenuModel {
 public:
  explicit TTrayMenuModel(TSysTrayIcon& icon) : icon_(icon) {}

  std::vector<TMenuModelEntry> MenuEntries() override;
  bool ChooseMenuEntry(std::int32_t id) override;

 private:
  TSysTrayIcon& icon_;
};

}  // namespace zerka
