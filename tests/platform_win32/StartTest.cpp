// Start at log-on against the real registry and the session's one instance, under Wine, with
// later starts on threads of their own and the running program in a second process.

#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32Autostart.h"
#include "platform/win32/Win32Instance.h"
#include "platform/win32/Win32Integrity.h"

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

// Dispatches this thread's messages until done() holds or boundMs have passed.
bool DispatchUntil(const std::function<bool()>& done, DWORD boundMs = 10000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= boundMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(boundMs - elapsed, 50), QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return true;
}

template <typename Function>
Function Kernel32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// The process user's token entry; its SID points into the buffer.
struct TUserEntry {
  alignas(TOKEN_USER) char buffer[256];
  TUserEntry() {
    HANDLE token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = sizeof buffer;
    GetTokenInformation(token, TokenUser, buffer, size, &size);
    CloseHandle(token);
  }
  PSID Sid() { return reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid; }
};

std::string SidBytes() {
  TUserEntry user;
  return std::string(static_cast<const char*>(user.Sid()), GetLengthSid(user.Sid()));
}

std::string UserSidText() {
  TUserEntry user;
  char* text = nullptr;
  ConvertSidToStringSidA(user.Sid(), &text);
  std::string sid = text;
  LocalFree(text);
  return sid;
}

// The marker belongs to the thread that claimed it, so a later start of this process runs on a
// thread of its own, as a second process would.
class TLaterStart {
 public:
  explicit TLaterStart(std::function<void(TWin32Instance&)> steps)
      : thread_([this, steps] {
          TWin32Instance instance;
          steps(instance);
          done_ = true;
        }) {}
  ~TLaterStart() { thread_.join(); }
  bool Done() const { return done_; }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST(Win32Instance, TheMarkerIsTheUsersOwnInItsSession) {
  TWin32Instance instance;
  const std::string alias = "Zerka2Remote-" + UserSidText();
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  const std::string& name = instance.MarkerName();
  EXPECT_TRUE(name == alias + "-ME\\Session" + std::to_string(session) || name == "Local\\" + alias) << name;
  std::cout << "marker: " << name << std::endl;
  ASSERT_TRUE(instance.Claim([](TInstanceRequest) {}));
  HANDLE marker = OpenMutexA(READ_CONTROL, FALSE, name.c_str());
  ASSERT_NE(marker, nullptr);
  char buffer[512];
  DWORD size = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  ASSERT_TRUE(GetKernelObjectSecurity(marker, OWNER_SECURITY_INFORMATION, buffer, sizeof buffer, &size));
  ASSERT_TRUE(GetSecurityDescriptorOwner(buffer, &owner, &defaulted));
  char* ownerText = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidA(owner, &ownerText));
  EXPECT_EQ(std::string(ownerText), UserSidText()) << "owned by the user, not by a group of an elevated token";
  LocalFree(ownerText);
  CloseHandle(marker);
  // How the installer finds this user's program, and no other's.
  const std::string sid = UserSidText();
  EXPECT_NE(FindWindowExW(HWND_MESSAGE, nullptr, L"Zerka2RemoteInstance", std::wstring(sid.begin(), sid.end()).c_str()),
            nullptr);
}

TEST(Win32Instance, ALaterStartFindsTheRunningOneAndHandsItTheRequest) {
  std::vector<TInstanceRequest> received;
  TWin32Instance running;
  ASSERT_TRUE(running.Claim([&received](TInstanceRequest request) { received.push_back(request); }));
  bool claimed = true, taken = false;
  {
    TLaterStart later([&](TWin32Instance& instance) {
      claimed = instance.Claim([](TInstanceRequest) {});
      taken = instance.Request(TInstanceRequest::Show);
    });
    EXPECT_TRUE(DispatchUntil([&] { return later.Done() && !received.empty(); }));
  }
  EXPECT_FALSE(claimed);
  EXPECT_TRUE(taken);
  EXPECT_EQ(received, std::vector<TInstanceRequest>{TInstanceRequest::Show});
}

TEST(Win32Instance, AMarkerThisStartMayNotOpenCountsAsHeld) {
  TWin32Instance probe;
  // The user's, with rights that leave this start out, as an elevated program's marker may be.
  PSECURITY_DESCRIPTOR nobody = nullptr;
  const std::string rights = "O:" + UserSidText() + "D:P";
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(rights.c_str(), SDDL_REVISION_1, &nobody, nullptr));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nobody, FALSE};
  HANDLE marker = CreateMutexA(&attributes, TRUE, probe.MarkerName().c_str());
  LocalFree(nobody);
  ASSERT_NE(marker, nullptr);
  bool claimed = true, held = false;
  {
    TLaterStart later([&](TWin32Instance& instance) {
      claimed = instance.Claim([](TInstanceRequest) {});
      held = instance.SessionHeld();
    });
  }
  EXPECT_FALSE(claimed);
  EXPECT_TRUE(held);
  CloseHandle(marker);
}

// Integrity levels cannot be shown under Wine (every process runs at one level): the label
// the objects carry is read back from their descriptor instead.
TEST(Win32Instance, ItsObjectsAreLabelledSoNothingBelowMediumMayWriteThem) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(UserOnlyDescriptor(UserSidText()).c_str(),
                                                                   SDDL_REVISION_1, &descriptor, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL sacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted));
  ASSERT_TRUE(present && sacl);
  ASSERT_EQ(sacl->AceCount, 1);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(sacl, 0, &ace));
  const auto* label = static_cast<const SYSTEM_MANDATORY_LABEL_ACE*>(ace);
  EXPECT_EQ(label->Header.AceType, SYSTEM_MANDATORY_LABEL_ACE_TYPE);
  EXPECT_EQ(label->Mask, static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP));
  const auto* sid = reinterpret_cast<const SID*>(&label->SidStart);
  EXPECT_EQ(sid->SubAuthority[0], static_cast<DWORD>(SECURITY_MANDATORY_MEDIUM_RID));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sid), GetLengthSid(const_cast<SID*>(sid))), MediumLabelSid());
  LocalFree(descriptor);
}

TEST(Win32Instance, ANamespaceThatCannotBeOpenedKeepsNoStartFromRunning) {
  EXPECT_TRUE(MarkerInPrivateNamespace(TNamespaceState::Made));
  EXPECT_TRUE(MarkerInPrivateNamespace(TNamespaceState::Opened));
  EXPECT_FALSE(MarkerInPrivateNamespace(TNamespaceState::Unopenable));
  EXPECT_FALSE(MarkerInPrivateNamespace(TNamespaceState::Unsupported));
  // A squatter's namespace under the program's name that lets nobody in: the start takes the
  // session's namespace instead and runs.
  const auto createBoundary = Kernel32<HANDLE(WINAPI*)(LPCWSTR, ULONG)>("CreateBoundaryDescriptorW");
  const auto addSid = Kernel32<BOOL(WINAPI*)(HANDLE*, PSID)>("AddSIDToBoundaryDescriptor");
  const auto addLabel = Kernel32<BOOL(WINAPI*)(HANDLE*, PSID)>("AddIntegrityLabelToBoundaryDescriptor");
  const auto createNamespace = Kernel32<HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR)>("CreatePrivateNamespaceW");
  const auto closeNamespace = Kernel32<BOOLEAN(WINAPI*)(HANDLE, ULONG)>("ClosePrivateNamespace");
  const auto deleteBoundary = Kernel32<VOID(WINAPI*)(HANDLE)>("DeleteBoundaryDescriptor");
  if (!createBoundary || !addSid || !createNamespace || !closeNamespace || !deleteBoundary) {
    GTEST_SKIP() << "no private namespaces here";
  }
  HANDLE boundary = createBoundary(L"Zerka2Remote", 0);
  ASSERT_NE(boundary, nullptr);
  std::string sid = SidBytes();
  ASSERT_TRUE(addSid(&boundary, sid.data()));
  std::string medium = MediumLabelSid();
  if (addLabel) {
    ASSERT_TRUE(addLabel(&boundary, medium.data()));
  }
  PSECURITY_DESCRIPTOR nobody = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1, &nobody, nullptr));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nobody, FALSE};
  const std::string alias = "Zerka2Remote-" + UserSidText() + "-ME";
  HANDLE squatted = createNamespace(&attributes, boundary, std::wstring(alias.begin(), alias.end()).c_str());
  LocalFree(nobody);
  if (!squatted) {
    deleteBoundary(boundary);
    GTEST_SKIP() << "no private namespaces here (error " << GetLastError() << ")";
  }
  {
    TWin32Instance instance;
    EXPECT_EQ(instance.MarkerName(), "Local\\Zerka2Remote-" + UserSidText());
    EXPECT_TRUE(instance.Claim([](TInstanceRequest) {}));
  }
  closeNamespace(squatted, 1);
  deleteBoundary(boundary);
}

TEST(Win32Instance, AProgramThatHasEndedLeavesTheSessionToTheNextStart) {
  TWin32Instance running;
  ASSERT_TRUE(running.Claim([](TInstanceRequest) {}));
  running.Release();
  bool taken = true, quitDone = false, claimed = false;
  {
    TLaterStart later([&](TWin32Instance& instance) {
      taken = instance.Request(TInstanceRequest::Show);
      quitDone = instance.Request(TInstanceRequest::Quit);
      claimed = instance.Claim([](TInstanceRequest) {});
    });
    EXPECT_TRUE(DispatchUntil([&] { return later.Done(); }));
  }
  EXPECT_FALSE(taken) << "nobody to hand it to: this start runs instead";
  EXPECT_TRUE(quitDone) << "nothing runs: nothing to end";
  EXPECT_TRUE(claimed);
}

constexpr const char* kHolderVariable = "ZERKA_INSTANCE_HOLDER";

// The running program in a second process: this test program again, running only the holder
// below. "answers" ends on a quit request; "hangs" answers nothing.
class THolder {
 public:
  explicit THolder(const char* mode) {
    const std::string ready = "Zerka2RemoteTestHolder-" + std::to_string(GetCurrentProcessId());
    ready_ = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    SetEnvironmentVariableA(kHolderVariable, (std::string(mode) + " " + ready).c_str());
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=Win32InstanceHolder.DISABLED_HoldsTheSession";
    // Its own test report would mix with this program's, which the test script counts.
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE nowhere = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                                 nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nowhere;
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info_)) {
      CloseHandle(info_.hThread);
    }
    if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
    SetEnvironmentVariableA(kHolderVariable, nullptr);
  }
  ~THolder() {
    if (info_.hProcess) {
      TerminateProcess(info_.hProcess, 2);
      CloseHandle(info_.hProcess);
    }
    CloseHandle(ready_);
  }
  // True once the holder has claimed the session; false when it ended first or took too long.
  bool Ready() const {
    if (!info_.hProcess) return false;
    const HANDLE both[] = {ready_, info_.hProcess};
    return WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
  }
  bool Ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  HANDLE ready_ = nullptr;
  PROCESS_INFORMATION info_{};
};

TEST(Win32InstanceHolder, DISABLED_HoldsTheSession) {
  char setting[256] = {};
  if (!GetEnvironmentVariableA(kHolderVariable, setting, sizeof setting)) GTEST_SKIP() << "started by the tests only";
  const std::string mode(setting, std::strchr(setting, ' '));
  TWin32Instance instance;
  ASSERT_TRUE(instance.Claim([](TInstanceRequest request) {
    if (request == TInstanceRequest::Quit) PostQuitMessage(0);
  }));
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, std::strchr(setting, ' ') + 1);
  ASSERT_NE(ready, nullptr);
  SetEvent(ready);
  CloseHandle(ready);
  // Ends on its own after a while, should the test that started it be gone.
  if (mode == "hangs") {
    Sleep(30000);
    return;
  }
  SetTimer(nullptr, 0, 30000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0 && !(message.message == WM_TIMER && !message.hwnd)) {
    DispatchMessageA(&message);
  }
}

TEST(Win32Instance, QuitEndsTheRunningProgramOfAnotherProcess) {
  THolder holder("answers");
  ASSERT_TRUE(holder.Ready());
  TWin32Instance later;
  EXPECT_FALSE(later.Claim([](TInstanceRequest) {}));
  EXPECT_TRUE(later.Request(TInstanceRequest::Quit));
  EXPECT_TRUE(holder.Ended());
  EXPECT_EQ(holder.ExitCode(), 0u);
}

TEST(Win32Instance, TerminateEndsAProgramThatAnswersNothingAndFreesTheSession) {
  THolder holder("hangs");
  ASSERT_TRUE(holder.Ready());
  TWin32Instance later;
  EXPECT_TRUE(later.Request(TInstanceRequest::Terminate));
  EXPECT_TRUE(holder.Ended());
  EXPECT_EQ(holder.ExitCode(), 1u);
  EXPECT_TRUE(later.Request(TInstanceRequest::Terminate)) << "none runs any more";
  EXPECT_TRUE(later.Claim([](TInstanceRequest) {}));
}

}  // namespace
}  // namespace zerka::win32
