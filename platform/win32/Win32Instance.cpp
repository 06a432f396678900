// Single-instance port:
//  [x] Claim: owns the mutex "Session<N>" in the private namespace "Zerka2Remote-<SID>" (a
//      boundary with the user's SID), else "Local\Zerka2Remote-<SID>" with an owner check;
//      the record "<marker>-Window" names the message-only window "Zerka2RemoteInstance"
//  [x] a marker (or its namespace) that cannot be opened is held; one that has no owner any
//      more (the program ended) is free and taken over
//  [x] Request Show: lets the running program take the foreground, sends the request; refused
//      while the program ends, then the asking start waits for the session to be free
//  [x] Request Quit: sends the request and waits up to 10 s for the running process to end
//  [x] Request Terminate: TerminateProcess on the window's process, found without its answer
//  [x] Release: refuses later requests and frees the marker
#include "platform/win32/Win32Instance.h"

#include <windows.h>

#include <sddl.h>

#include <cstring>
#include <utility>

namespace zerka::win32 {
namespace {

constexpr const char* kWindowClass = "Zerka2RemoteInstance";
constexpr const wchar_t* kBoundaryName = L"Zerka2Remote";
// A start that finds the session held but no window yet meets a program that is starting.
constexpr DWORD kFindWindowMs = 5000;
constexpr DWORD kPollMs = 50;
constexpr DWORD kAnswerMs = 5000;
constexpr DWORD kQuitWaitMs = 10000;
constexpr DWORD kTerminateWaitMs = 5000;
constexpr UINT kDeliverMessage = WM_APP + 1;
constexpr LRESULT kRefused = 0;
constexpr LRESULT kAccepted = 1;

// The running program's record in shared memory; LONG, so 32- and 64-bit builds read each other
// (window handles carry 32 significant bits).
struct TInstanceRecord {
  LONG ProcessId;
  LONG Window;
};

using TCreateBoundaryDescriptorW = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using TAddSidToBoundaryDescriptor = BOOL(WINAPI*)(HANDLE*, PSID);
using TDeleteBoundaryDescriptor = VOID(WINAPI*)(HANDLE);
using TCreatePrivateNamespaceW = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using TOpenPrivateNamespaceW = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using TClosePrivateNamespace = BOOLEAN(WINAPI*)(HANDLE, ULONG);

template <typename Function>
Function Kernel32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// The user's SID, as bytes and as text.
struct TUser {
  std::string Sid;
  std::string Text = "unknown";
};

TUser CurrentUser() {
  TUser user;
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return user;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  char* text = nullptr;
  if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    user.Sid.assign(static_cast<const char*>(sid), GetLengthSid(sid));
    if (ConvertSidToStringSidA(sid, &text)) {
      user.Text = text;
      LocalFree(text);
    }
  }
  CloseHandle(token);
  return user;
}

// Security attributes that make the user the owner and the only one allowed in.
class TUserOnly {
 public:
  explicit TUserOnly(const std::string& sid) {
    const std::string text = "O:" + sid + "D:P(A;;GA;;;" + sid + ")";
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &descriptor_, nullptr)) {
      attributes_.lpSecurityDescriptor = descriptor_;
    }
  }
  ~TUserOnly() {
    if (descriptor_) LocalFree(descriptor_);
  }
  TUserOnly(const TUserOnly&) = delete;
  TUserOnly& operator=(const TUserOnly&) = delete;
  SECURITY_ATTRIBUTES* Get() { return &attributes_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// Whether the object belongs to the user. The administrators count too: they are the owner of
// what an elevated program makes without naming one, and could take the session anyway. An
// owner that cannot be read counts as the user.
bool OwnedBy(HANDLE object, const std::string& sid) {
  if (sid.empty()) return true;
  DWORD size = 0;
  GetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION, nullptr, 0, &size);
  if (!size) return true;
  std::string buffer(size, '\0');
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION, buffer.data(), size, &size) ||
      !GetSecurityDescriptorOwner(buffer.data(), &owner, &defaulted) || !owner) {
    return true;
  }
  if (EqualSid(owner, const_cast<char*>(sid.data()))) return true;
  char* text = nullptr;
  if (!ConvertSidToStringSidA(owner, &text)) return true;
  const bool administrators = std::strcmp(text, "S-1-5-32-544") == 0;
  LocalFree(text);
  return administrators;
}

LRESULT CALLBACK InstanceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* receiver = reinterpret_cast<TWin32Instance::TReceiver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == TWin32Instance::RequestMessage()) {
    if (!receiver || !receiver->Accepting || wParam > 1) return kRefused;
    // Answered at once, carried out from the event loop: the asking start never waits for a
    // window that the request opens.
    receiver->Pending.push_back(wParam == 1 ? TInstanceRequest::Quit : TInstanceRequest::Show);
    PostMessageA(window, kDeliverMessage, 0, 0);
    return kAccepted;
  }
  if (message == kDeliverMessage) {
    if (!receiver) return 0;
    const std::vector<TInstanceRequest> pending = std::exchange(receiver->Pending, {});
    for (const TInstanceRequest request : pending) {
      if (receiver->Accepting && receiver->Handler) receiver->Handler(request);
    }
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

DWORD SessionId() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

DWORD Elapsed(DWORD start) { return GetTickCount() - start; }

}  // namespace

TWin32Instance::TWin32Instance() {
  const TUser user = CurrentUser();
  sid_ = user.Sid;
  sidText_ = user.Text;
  const std::string alias = "Zerka2Remote-" + user.Text;
  const auto createBoundary = Kernel32<TCreateBoundaryDescriptorW>("CreateBoundaryDescriptorW");
  const auto addSid = Kernel32<TAddSidToBoundaryDescriptor>("AddSIDToBoundaryDescriptor");
  const auto createNamespace = Kernel32<TCreatePrivateNamespaceW>("CreatePrivateNamespaceW");
  const auto openNamespace = Kernel32<TOpenPrivateNamespaceW>("OpenPrivateNamespaceW");
  if (createBoundary && addSid && createNamespace && openNamespace && !sid_.empty()) {
    HANDLE boundary = createBoundary(kBoundaryName, 0);
    if (boundary && addSid(&boundary, sid_.data())) {
      boundary_ = boundary;
      const std::wstring wideAlias(alias.begin(), alias.end());
      TUserOnly userOnly(sidText_);
      // Two tries: a namespace that exists may be gone again before it is opened.
      bool exists = false;
      for (int attempt = 0; attempt < 2 && !namespace_; ++attempt) {
        namespace_ = createNamespace(userOnly.Get(), boundary, wideAlias.c_str());
        exists = !namespace_ && GetLastError() == ERROR_ALREADY_EXISTS;
        if (exists) namespace_ = openNamespace(boundary, wideAlias.c_str());
      }
      // Only this user's processes can have made it, and only live ones keep it: one of them
      // runs with rights this start lacks.
      unreachable_ = exists && !namespace_;
    } else if (boundary) {
      if (const auto remove = Kernel32<TDeleteBoundaryDescriptor>("DeleteBoundaryDescriptor")) remove(boundary);
    }
  }
  markerName_ = namespace_ ? alias + "\\Session" + std::to_string(SessionId()) : "Local\\" + alias;
  recordName_ = markerName_ + "-Window";
}

TWin32Instance::~TWin32Instance() {
  Release();
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  if (namespace_) {
    if (const auto close = Kernel32<TClosePrivateNamespace>("ClosePrivateNamespace")) close(namespace_, 0);
  }
  if (boundary_) {
    if (const auto remove = Kernel32<TDeleteBoundaryDescriptor>("DeleteBoundaryDescriptor")) remove(boundary_);
  }
}

unsigned TWin32Instance::RequestMessage() {
  static const UINT message = RegisterWindowMessageA("Zerka2Remote.InstanceRequest");
  return message;
}

bool TWin32Instance::Claim(TInstanceRequestHandler handler) {
  if (unreachable_) return false;
  TUserOnly userOnly(sidText_);
  HANDLE mutex = CreateMutexA(userOnly.Get(), FALSE, markerName_.c_str());
  // Access denied: a program of this user runs with other rights (elevated, or an older one).
  if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED ? false : ClaimWithoutMarker(std::move(handler));
  if (GetLastError() == ERROR_ALREADY_EXISTS && !OwnedBy(mutex, sid_)) {
    // Made by another user under this user's name: it must not keep this user's program from
    // starting.
    CloseHandle(mutex);
    return ClaimWithoutMarker(std::move(handler));
  }
  const DWORD wait = WaitForSingleObject(mutex, 0);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  mutex_ = mutex;
  ClaimWithoutMarker(std::move(handler));
  PublishWindow();
  return true;
}

bool TWin32Instance::ClaimWithoutMarker(TInstanceRequestHandler handler) {
  receiver_.Handler = std::move(handler);
  receiver_.Accepting = true;
  if (!window_) {
    HWND window = CreateWindowExA(0, InstanceWindowClass(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver_));
    window_ = window;
  }
  return true;
}

void TWin32Instance::PublishWindow() {
  TUserOnly userOnly(sidText_);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, userOnly.Get(), PAGE_READWRITE, 0,
                                      sizeof(TInstanceRecord), recordName_.c_str());
  if (!mapping) return;
  // The name lasts as long as a handle does, not a view.
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(TInstanceRecord));
  if (!view) {
    CloseHandle(mapping);
    return;
  }
  mapping_ = mapping;
  const TInstanceRecord record{static_cast<LONG>(GetCurrentProcessId()),
                               static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_))};
  std::memcpy(view, &record, sizeof record);
  record_ = view;
}

void TWin32Instance::Release() {
  receiver_.Accepting = false;
  receiver_.Handler = nullptr;
  receiver_.Pending.clear();
  if (record_) {
    const TInstanceRecord none{0, 0};
    std::memcpy(record_, &none, sizeof none);
    UnmapViewOfFile(record_);
    record_ = nullptr;
  }
  if (mapping_) {
    CloseHandle(mapping_);
    mapping_ = nullptr;
  }
  if (mutex_) {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
}

bool TWin32Instance::SessionHeld() const {
  if (unreachable_) return true;
  HANDLE mutex = OpenMutexA(SYNCHRONIZE | READ_CONTROL, FALSE, markerName_.c_str());
  if (!mutex) return GetLastError() == ERROR_ACCESS_DENIED;
  bool held = OwnedBy(mutex, sid_);
  if (held) {
    const DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      ReleaseMutex(mutex);
      held = false;
    }
  }
  CloseHandle(mutex);
  return held;
}

// The window the running program has published; nullptr when there is none, or the record
// names a window that is not that process's any more.
void* TWin32Instance::RunningWindow(unsigned long& processId) const {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, recordName_.c_str());
  if (!mapping) return nullptr;
  TInstanceRecord record{0, 0};
  if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof record)) {
    std::memcpy(&record, view, sizeof record);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(record.Window));
  DWORD owner = 0;
  if (!window || !GetWindowThreadProcessId(window, &owner) || owner != static_cast<DWORD>(record.ProcessId)) {
    return nullptr;
  }
  processId = owner;
  return window;
}

void* TWin32Instance::FindRunning(unsigned long& processId, unsigned long boundMs) const {
  const DWORD start = GetTickCount();
  for (;;) {
    if (void* window = RunningWindow(processId)) return window;
    if (!SessionHeld() || Elapsed(start) >= boundMs) return nullptr;
    Sleep(kPollMs);
  }
}

// Waits until the process has ended (where it could be opened) and the session is free.
bool TWin32Instance::WaitUntilGone(void* process, unsigned long start, unsigned long boundMs) const {
  for (;;) {
    const DWORD left = Elapsed(start) >= boundMs ? 0 : boundMs - Elapsed(start);
    if (process && WaitForSingleObject(process, left) != WAIT_OBJECT_0) return false;
    if (!SessionHeld()) return true;
    if (left == 0) return false;
    Sleep(kPollMs);
  }
}

bool TWin32Instance::Request(TInstanceRequest request) {
  switch (request) {
    case TInstanceRequest::Show: return Show();
    case TInstanceRequest::Quit: return Quit();
    case TInstanceRequest::Terminate: return Terminate();
  }
  return false;
}

bool TWin32Instance::Show() {
  DWORD processId = 0;
  HWND window = static_cast<HWND>(FindRunning(processId, kFindWindowMs));
  if (!window) return SessionHeld();
  // The start the user just made may take the foreground; it passes that on.
  AllowSetForegroundWindow(processId);
  DWORD_PTR answer = kRefused;
  if (!SendMessageTimeoutA(window, RequestMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &answer)) {
    // Gone meanwhile, or hung: a hung program still holds the session.
    return SessionHeld();
  }
  if (answer == kAccepted) return true;
  // Refused: the program is ending. Once it has, this start is the session's program.
  return !WaitUntilGone(nullptr, GetTickCount(), kQuitWaitMs);
}

bool TWin32Instance::Quit() {
  const DWORD start = GetTickCount();
  DWORD processId = 0;
  HWND window = static_cast<HWND>(FindRunning(processId, kQuitWaitMs));
  if (!window) return !SessionHeld();
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  const DWORD left = Elapsed(start) >= kQuitWaitMs ? 1 : kQuitWaitMs - Elapsed(start);
  DWORD_PTR answer = kRefused;
  // Refused means it is ending anyway; either way what counts is whether it ends in time.
  SendMessageTimeoutA(window, RequestMessage(), 1, 0, SMTO_ABORTIFHUNG, left, &answer);
  const bool gone = WaitUntilGone(process, start, kQuitWaitMs);
  if (process) CloseHandle(process);
  return gone;
}

bool TWin32Instance::Terminate() {
  const DWORD start = GetTickCount();
  DWORD processId = 0;
  // The record and GetWindowThreadProcessId need no answer from the program.
  HWND window = static_cast<HWND>(FindRunning(processId, kTerminateWaitMs));
  if (!window) return !SessionHeld();
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  if (!process) return !SessionHeld();
  TerminateProcess(process, 1);
  const bool gone = WaitUntilGone(process, start, kTerminateWaitMs);
  CloseHandle(process);
  return gone;
}

}  // namespace zerka::win32
