// Single-instance port:
//  [x] Claim: named mutex "Local\Zerka2Remote-<SID>", message-only window of class
//      "Zerka2RemoteInstance" titled with the same name
//  [x] Request Show: lets the running program take the foreground, posts the request
//  [x] Request Quit: posts the request and waits for the running process to end
#include "platform/win32/Win32Instance.h"

#include <windows.h>

#include <sddl.h>

#include <string>
#include <utility>

namespace zerka::win32 {
namespace {

constexpr const char* kWindowClass = "Zerka2RemoteInstance";
// A start that finds the mutex but not yet the window meets a program that is starting.
constexpr DWORD kFindWindowMs = 1500;
constexpr DWORD kFindPollMs = 50;
constexpr DWORD kQuitWaitMs = 10000;

std::string UserSid() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "unknown";
  std::string sid = "unknown";
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  char* text = nullptr;
  if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

LRESULT CALLBACK InstanceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TWin32Instance::RequestMessage()) {
    auto* handler = reinterpret_cast<TInstanceRequestHandler*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (handler && *handler) (*handler)(wParam == 1 ? TInstanceRequest::Quit : TInstanceRequest::Show);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* InstanceWindowClass() {
  static const char* name = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = InstanceWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    return kWindowClass;
  }();
  return name;
}

bool InstanceRuns(const std::string& name) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, ("Local\\" + name).c_str());
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

// The running program's window; nullptr when no program runs (or it shows no window in time).
HWND FindRunning(const std::string& name) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, kWindowClass, name.c_str())) return window;
    if (!InstanceRuns(name) || GetTickCount() - start >= kFindWindowMs) return nullptr;
    Sleep(kFindPollMs);
  }
}

}  // namespace

TWin32Instance::TWin32Instance() : name_("Zerka2Remote-" + UserSid()) {}

TWin32Instance::~TWin32Instance() {
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  if (mutex_) CloseHandle(mutex_);
}

unsigned TWin32Instance::RequestMessage() {
  static const UINT message = RegisterWindowMessageA("Zerka2Remote.InstanceRequest");
  return message;
}

bool TWin32Instance::Claim(TInstanceRequestHandler handler) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Local\\" + name_).c_str());
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  // Without a mutex this start cannot tell whether another one runs: it runs on its own.
  mutex_ = mutex;
  handler_ = std::move(handler);
  HWND window = CreateWindowExA(0, InstanceWindowClass(), name_.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handler_));
  window_ = window;
  return true;
}

bool TWin32Instance::Request(TInstanceRequest request) {
  HWND window = FindRunning(name_);
  if (!window) return request == TInstanceRequest::Quit && !InstanceRuns(name_);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (request == TInstanceRequest::Show) {
    // The start the user just made may take the foreground; it passes that on.
    AllowSetForegroundWindow(processId);
    return PostMessageA(window, RequestMessage(), 0, 0) != FALSE;
  }
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  const bool posted = PostMessageA(window, RequestMessage(), 1, 0) != FALSE;
  bool ended = false;
  if (process) {
    ended = posted && WaitForSingleObject(process, kQuitWaitMs) == WAIT_OBJECT_0;
    CloseHandle(process);
  }
  return ended;
}

}  // namespace zerka::win32
