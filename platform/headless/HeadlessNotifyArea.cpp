#include "platform/headless/HeadlessNotifyArea.h"

#include <cstring>

#include "platform/headless/HeadlessLoop.h"

namespace zerka::headless {
namespace {

void Merge(TNotifyIconData& held, const TNotifyIconData& given) {
  if (given.uFlags & nif::Message) held.uCallbackMessage = given.uCallbackMessage;
  if (given.uFlags & nif::Icon) held.hIcon = given.hIcon;
  if (given.uFlags & nif::Tip) std::memcpy(held.szTip, given.szTip, sizeof held.szTip);
  if (given.uFlags & nif::Info) {
    std::memcpy(held.szInfo, given.szInfo, sizeof held.szInfo);
    std::memcpy(held.szInfoTitle, given.szInfoTitle, sizeof held.szInfoTitle);
    held.uTimeoutOrVersion = given.uTimeoutOrVersion;
    held.dwInfoFlags = given.dwInfoFlags;
  }
}

}  // namespace

bool THeadlessNotifyArea::NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) {
  const auto key = std::make_pair(data.hWnd, data.uID);
  const bool present = icons_.count(key) != 0;
  bool accepted = false;
  if (Available && data.cbSize == TNotifyIconData::kRecordSize) {
    switch (operation) {
      case TNotifyIconMessage::Add:
        if (!present) {
          TNotifyIconData held;
          held.cbSize = data.cbSize;
          held.hWnd = data.hWnd;
          held.uID = data.uID;
          Merge(held, data);
          icons_.emplace(key, held);
          accepted = true;
        }
        break;
      case TNotifyIconMessage::Modify:
        if (present) Merge(icons_[key], data);
        accepted = present;
        break;
      case TNotifyIconMessage::Remove:
        accepted = icons_.erase(key) != 0;
        break;
      case TNotifyIconMessage::SetVersion:
        accepted = present;
        break;
    }
  }
  Calls.push_back({operation, data, accepted});
  return accepted;
}

const TNotifyIconData* THeadlessNotifyArea::Icon(std::uint32_t uID) const {
  for (const auto& [key, data] : icons_) {
    if (key.second == uID) return &data;
  }
  return nullptr;
}

bool THeadlessNotifyArea::Callback(std::uint32_t uID, std::uint32_t code) {
  const TNotifyIconData* icon = Icon(uID);
  if (!icon) return false;
  const TWindowHandle window = icon->hWnd;
  const std::uint32_t message = icon->uCallbackMessage;
  loop_.SendWindowMessage(window, message, uID, static_cast<std::intptr_t>(code));
  return true;
}

void THeadlessNotifyArea::SetMenuModel(TWindowHandle window, std::uint32_t id, IMenuModel* model) {
  if (model) {
    menuModels_[{window, id}] = model;
  } else {
    menuModels_.erase({window, id});
  }
}

IMenuModel* THeadlessNotifyArea::MenuModel(std::uint32_t uID) const {
  for (const auto& [key, model] : menuModels_) {
    if (key.second == uID) return model;
  }
  return nullptr;
}

void THeadlessNotifyArea::RecreateTaskbar(TWindowHandle applicationWindow) {
  icons_.clear();
  if (TaskbarCreatedId != 0) loop_.SendWindowMessage(applicationWindow, TaskbarCreatedId, 0, 0);
}

}  // namespace zerka::headless
