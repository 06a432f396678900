// Notification-area port:
//  [x] Shell_NotifyIconA add / modify / delete / set version with the Shell 5.0 record
//      (488 bytes on 32-bit builds, the same layout's size on 64-bit)
//  [x] the portable record copied field by field; the picture as an HICON made per call
//  [x] "TaskbarCreated" registered once when comctl32.dll reports 4.71 or later
#include "platform/win32/Win32NotifyArea.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

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
  explicit TCallIcon(const TIconImagePtr& image) : icon_(image ? CreateIconFromImage(*image) : nullptr) {}
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

bool TWin32NotifyArea::NotifyIcon(TNotifyIconMessage operation, const TNotifyIconData& data) {
  const TCallIcon icon(data.hIcon);
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
  return Shell_NotifyIconA(static_cast<DWORD>(operation), &record) != FALSE;
}

}  // namespace zerka::win32
