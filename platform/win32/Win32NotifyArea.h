#pragma once
// The notification area through Shell_NotifyIconA.

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32NotifyArea final : public INotifyAreaPort {
 public:
  // Registers "TaskbarCreated" when the common controls are 4.71 or later.
  TWin32NotifyArea();
  bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) override;
  std::uint32_t TaskbarCreatedMessage() override { return taskbarCreated_; }

 private:
  std::uint32_t taskbarCreated_ = 0;
};

// The record size handed to the shell: the Shell 5.0 layout with balloon fields.
std::uint32_t NotifyRecordSize();

}  // namespace zerka::win32
