#pragma once
// Headless notification area: records every call with a copy of the record, keeps the icons
// it holds as a shell would (a second add or an update of a missing icon is refused), and
// lets tests play the user: a callback code on an icon, or the taskbar being re-created.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "framework/Platform.h"

namespace zerka::headless {

class THeadlessLoop;

struct TNotifyCall {
  TNotifyIconMessage Operation;
  TNotifyIconData Data;
  bool Accepted;
};

class THeadlessNotifyArea : public INotifyAreaPort {
 public:
  explicit THeadlessNotifyArea(THeadlessLoop& loop) : loop_(loop) {}

  bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) override;
  std::uint32_t TaskbarCreatedMessage() override { return TaskbarCreatedId; }
  void SetMenuModel(TWindowHandle window, std::uint32_t id, IMenuModel* model) override;

  // --- for tests
  std::vector<TNotifyCall> Calls;
  // The id announced for a re-created taskbar; 0 for a system without one.
  std::uint32_t TaskbarCreatedId = 0xC0DE;
  // When false the shell refuses every call (as with no taskbar at all).
  bool Available = true;

  std::size_t IconCount() const { return icons_.size(); }
  // The icon as the shell holds it: each field as last given with its uFlags bit.
  const TNotifyIconData* Icon(std::uint32_t uID) const;
  // Plays a user action on the icon: sends its callback message with the code.
  bool Callback(std::uint32_t uID, std::uint32_t code);
  // The shell forgets every icon and announces a new taskbar to the given window.
  void RecreateTaskbar(TWindowHandle applicationWindow);
  // The menu model named for an icon id, or nullptr.
  IMenuModel* MenuModel(std::uint32_t uID) const;

 private:
  THeadlessLoop& loop_;
  std::map<std::pair<TWindowHandle, std::uint32_t>, TNotifyIconData> icons_;
  std::map<std::pair<TWindowHandle, std::uint32_t>, IMenuModel*> menuModels_;
};

}  // namespace zerka::headless
