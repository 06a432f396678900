// Notification-area port:
//  [x] Shell_NotifyIconA add / modify / delete / set version with the Shell 5.0 record
//      (488 bytes on 32-bit builds, the same layout's size on 64-bit)
//  [x] the portable record copied field by field; the picture as an HICON made per call at
//      the size the shell asks for (the small-icon size at the taskbar's DPI)
//  [x] the pictures given again when that size changes (a new DPI)
//  [x] "TaskbarCreated" registered once when comctl32.dll reports 4.71 or later
#include "platform/win32/Win32NotifyArea.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Icons.h"

namespace zerka::win32 {
namespace {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == TNotifyIconData::kRecordSize);
#endif
static_assert(sizeof(NOTIFYICONDATAA::szTip) == TNotifyIconData::kTipSize);
static_assert(sizeof(NOTIFYICONDATAA::szInfo) == TNotifyIconData::kInfoSize);
static_assert(sizeof(NOTIFYICONDATAA::szInfoTitle) == TNotifyIconData::kInfoTitleSize);

// The common controls' version as major << 16 | minor; 0 when it cannot be read.
std::uint32_t CommonControlsVersion() {
  HMODULE library = LoadLibraryA("comctl32.dll");
  if (!library) return 0;
  std::uint32_t version = 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (getVersion && SUCCEEDED(getVersion(&info))) version = (info.dwMajorVersion << 16) | info.dwMinorVersion;
  FreeLibrary(library);
  return version;
}

// The icon made for one shell call; the shell keeps its own copy.
class TCallIcon {
 public:
  TCallIcon(const TIconImagePtr& image, int side) : icon_(image ? CreateIconFromImage(*image, side) : nullptr) {}
  ~TCallIcon() {
    if (icon_) DestroyIcon(icon_);
  }
  TCallIcon(const TCallIcon&) = delete;
  TCallIcon& operator=(const TCallIcon&) = delete;
  HICON Handle() const { return icon_; }

 private:
  HICON icon_;
};

}  // namespace

std::uint32_t NotifyRecordSize() { return NOTIFYICONDATAA_V2_SIZE; }

TWin32NotifyArea::TWin32NotifyArea() {
  constexpr std::uint32_t kFirstWithTaskbarCreated = (4u << 16) | 71u;
  if (CommonControlsVersion() >= kFirstWithTaskbarCreated) {
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  }
}

int TWin32NotifyArea::PictureSide() { return SmallIconSide(NotifyAreaDpi()); }

void TWin32NotifyArea::RefreshPictureSide() {
  const int side = PictureSide();
  if (side == side_) return;
  side_ = side;
  for (const TShownIcon& shown : shown_) {
    if (!shown.Picture) continue;
    const TCallIcon icon(shown.Picture, side);
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NotifyRecordSize();
    record.hWnd = reinterpret_cast<HWND>(shown.Window);
    record.uID = shown.Id;
    record.uFlags = NIF_ICON;
    record.hIcon = icon.Handle();
    Shell_NotifyIconA(NIM_MODIFY, &record);
  }
}

void TWin32NotifyArea::Remember(TNotifyIconMessage operation, const TNotifyIconData& data) {
  auto found = std::find_if(shown_.begin(), shown_.end(), [&](const TShownIcon& shown) {
    return shown.Window == data.hWnd && shown.Id == data.uID;
  });
  if (operation == TNotifyIconMessage::Remove) {
    if (found != shown_.end()) shown_.erase(found);
    return;
  }
  if (found == shown_.end()) found = shown_.insert(shown_.end(), TShownIcon{data.hWnd, data.uID, nullptr});
  if (operation == TNotifyIconMessage::Add || (data.uFlags & nif::Icon)) found->Picture = data.hIcon;
}

bool TWin32NotifyArea::NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) {
  side_ = PictureSide();
  const TCallIcon icon(data.hIcon, side_);
  NOTIFYICONDATAA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NotifyRecordSize();
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = icon.Handle();
  std::memcpy(record.szTip, data.szTip, sizeof record.szTip);
  record.dwState = data.dwState;
  record.dwStateMask = data.dwStateMask;
  std::memcpy(record.szInfo, data.szInfo, sizeof record.szInfo);
  record.uTimeout = data.uTimeoutOrVersion;
  std::memcpy(record.szInfoTitle, data.szInfoTitle, sizeof record.szInfoTitle);
  record.dwInfoFlags = data.dwInfoFlags;
  const bool accepted = Shell_NotifyIconA(static_cast<DWORD>(operation), &record) != FALSE;
  if (accepted && operation != TNotifyIconMessage::SetVersion) Remember(operation, data);
  return accepted;
}

}  // namespace zerka::win32
