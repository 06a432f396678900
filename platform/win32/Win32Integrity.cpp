#include "platform/win32/Win32Integrity.h"

namespace zerka::win32 {
namespace {

using TChangeWindowMessageFilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using TChangeWindowMessageFilter = BOOL(WINAPI*)(UINT, DWORD);
constexpr DWORD kAllow = 1;

template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

std::wstring UserOnlyDescriptor(const std::string& sidText) {
  const std::wstring sid(sidText.begin(), sidText.end());
  return L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")S:(ML;;NW;;;ME)";
}

const std::string& MediumLabelSid() {
  static const std::string sid = [] {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    if (!CreateWellKnownSid(WinMediumLabelSid, nullptr, buffer, &size)) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer), size);
  }();
  return sid;
}

bool LetThroughFromLowerIntegrity(HWND window, UINT message) {
  if (!window || !message) return false;
  // Per window where the system can (Windows 7), else for the process (Vista).
  if (const auto perWindow = User32<TChangeWindowMessageFilterEx>("ChangeWindowMessageFilterEx")) {
    return perWindow(window, message, kAllow, nullptr) != FALSE;
  }
  if (const auto perProcess = User32<TChangeWindowMessageFilter>("ChangeWindowMessageFilter")) {
    return perProcess(message, kAllow) != FALSE;
  }
  return true;
}

}  // namespace zerka::win32
