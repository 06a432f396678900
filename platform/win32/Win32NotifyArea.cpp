// Notification-area port:
//  [x] Shell_NotifyIconW add / modify / delete / set version with the Shell 5.0 record
//      (936 bytes on 32-bit builds, the same layout's size on 64-bit)
//  [x] the portable record copied field by field, its texts to UTF-16; the picture as an
//      HICON made per call at the size the shell asks for (the small-icon size at the
//      taskbar's DPI)
//  [x] the pictures given again when that size changes (a new DPI)
//  [x] "TaskbarCreated" registered once when comctl32.dll reports 4.71 or later
#include "platform/win32/Win32NotifyArea.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Icons.h"
#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == TNotifyIconData::kRecordSize);
#endif
static_assert(std::size(NOTIFYICONDATAW{}.szTip) == static_cast<std::size_t>(TNotifyIconData::kTipSize));
static_assert(std::size(NOTIFYICONDATAW{}.szInfo) == static_cast<std::size_t>(TNotifyIconData::kInfoSize));
static_assert(std::size(NOTIFYICONDATAW{}.szInfoTitle) == static_cast<std::size_t>(TNotifyIconData::kInfoTitleSize));

// A text field of the portable record, NUL-terminated within its size.
template <std::size_t N>
void CopyWide(wchar_t (&to)[N], const char (&from)[N]) {
  const std::wstring wide = Wide(std::string_view(from, strnlen(from, N - 1)));
  std::memset(to, 0, sizeof to);
  std::memcpy(to, wide.data(), wide.size() * sizeof(wchar_t));
}

// The common controls' version as major << 16 | minor; 0 when it cannot be read.
std::uint32_t CommonControlsVersion() {
  HMODULE library = LoadLibraryW(L"comctl32.dll");
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

std::uint32_t NotifyRecordSize() { return NOTIFYICONDATAW_V2_SIZE; }

TWin32NotifyArea::TWin32NotifyArea() {
  constexpr std::uint32_t kFirstWithTaskbarCreated = (4u << 16) | 71u;
  if (CommonControlsVersion() >= kFirstWithTaskbarCreated) {
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
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
    NOTIFYICONDATAW record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NotifyRecordSize();
    record.hWnd = reinterpret_cast<HWND>(shown.Window);
    record.uID = shown.Id;
    record.uFlags = NIF_ICON;
    record.hIcon = icon.Handle();
    Shell_NotifyIconW(NIM_MODIFY, &record);
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
  NOTIFYICONDATAW record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NotifyRecordSize();
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = icon.Handle();
  CopyWide(record.szTip, data.szTip);
  record.dwState = data.dwState;
  record.dwStateMask = data.dwStateMask;
  CopyWide(record.szInfo, data.szInfo);
  record.uTimeout = data.uTimeoutOrVersion;
  CopyWide(record.szInfoTitle, data.szInfoTitle);
  record.dwInfoFlags = data.dwInfoFlags;
  const bool accepted = Shell_NotifyIconW(static_cast<DWORD>(operation), &record) != FALSE;
  if (accepted && operation != TNotifyIconMessage::SetVersion) Remember(operation, data);
  return accepted;
}

}  // namespace zerka::win32
