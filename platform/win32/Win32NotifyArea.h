#pragma once
// The notification area through Shell_NotifyIconW.

#include <vector>

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32NotifyArea final : public INotifyAreaPort {
 public:
  // Registers "TaskbarCreated" when the common controls are 4.71 or later.
  TWin32NotifyArea();
  bool NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) override;
  std::uint32_t TaskbarCreatedMessage() override { return taskbarCreated_; }

  // The picture side the shell asks for now: the small-icon size at the taskbar's DPI.
  static int PictureSide();
  // Gives every icon its picture again when that side has changed since the last call.
  void RefreshPictureSide();

 private:
  struct TShownIcon {
    TWindowHandle Window;
    std::uint32_t Id;
    TIconImagePtr Picture;
  };
  void Remember(TNotifyIconMessage operation, const TNotifyIconData& data);

  std::uint32_t taskbarCreated_ = 0;
  std::vector<TShownIcon> shown_;
  int side_ = 0;
};

// The record size handed to the shell: the Shell 5.0 layout with balloon fields.
std::uint32_t NotifyRecordSize();

}  // namespace zerka::win32
