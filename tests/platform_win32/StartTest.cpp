// Start at log-on against the real registry and the session's one instance, under Wine.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Autostart.h"
#include "platform/win32/Win32Instance.h"

namespace zerka::win32 {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value "Zerka2 Remote"; "<missing>" when there is none, "<type>" when not a string.
std::wstring RunValue() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return L"<missing>";
  wchar_t data[1024] = {};
  DWORD type = 0, size = sizeof data - sizeof data[0];
  const LONG result = RegQueryValueExW(key, L"Zerka2 Remote", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return L"<missing>";
  return type == REG_SZ ? std::wstring(data) : L"<type>";
}

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(Win32Autostart, TheRunValueHoldsTheQuotedProgramPathUntilSwitchedOff) {
  TWin32Autostart autostart;
  ASSERT_TRUE(autostart.Disable());
  EXPECT_FALSE(autostart.IsEnabled());
  ASSERT_TRUE(autostart.Enable());
  EXPECT_TRUE(autostart.IsEnabled());
  EXPECT_EQ(RunValue(), L"\"" + ThisProgram() + L"\"");
  ASSERT_TRUE(autostart.Enable()) << "on twice";
  EXPECT_TRUE(autostart.Disable());
  EXPECT_FALSE(autostart.IsEnabled());
  EXPECT_EQ(RunValue(), L"<missing>");
  EXPECT_TRUE(autostart.Disable()) << "off twice";
}

void DispatchWaiting() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(Win32Instance, ALaterStartFindsTheRunningOneAndHandsItTheRequest) {
  std::vector<TInstanceRequest> received;
  TWin32Instance running;
  ASSERT_TRUE(running.Claim([&received](TInstanceRequest request) { received.push_back(request); }));
  TWin32Instance later;
  EXPECT_FALSE(later.Claim([](TInstanceRequest) {}));
  EXPECT_TRUE(later.Request(TInstanceRequest::Show));
  DispatchWaiting();
  EXPECT_EQ(received, std::vector<TInstanceRequest>{TInstanceRequest::Show});
}

TEST(Win32Instance, TheSessionIsFreeOnceTheRunningOneHasGone) {
  {
    TWin32Instance running;
    ASSERT_TRUE(running.Claim([](TInstanceRequest) {}));
  }
  TWin32Instance next;
  EXPECT_TRUE(next.Request(TInstanceRequest::Quit)) << "nothing runs: nothing to end";
  EXPECT_FALSE(next.Request(TInstanceRequest::Show));
  EXPECT_TRUE(next.Claim([](TInstanceRequest) {}));
}

}  // namespace
}  // namespace zerka::win32
