// Single-instance port:
//  [x] Claim: owns the mutex "Session<N>" in the private namespace "Zerka2Remote-<SID>-ME" (a
//      boundary with the user's SID and the medium label), else "Local\Zerka2Remote-<SID>"
//      with an owner check; the record "<marker>-Window" names the message-only window
//      "Zerka2RemoteInstance"; every object labelled medium integrity
//  [x] a marker that cannot be opened is held; one that has no owner any more (the program
//      ended) is free and taken over; a namespace that cannot be opened is not held
//  [x] the earlier versions' namespace "Zerka2Remote-<SID>" (boundary without label) asked too
//  [x] the request message let through from lower integrity levels
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

#include "platform/win32/Win32Integrity.h"

namespace zerka::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"Zerka2RemoteInstance";
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
using TAddIntegrityLabelToBoundaryDescriptor = BOOL(WINAPI*)(HANDLE*, PSID);

template <typename Function>
Function Kernel32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
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

// Security attributes that make the user the owner and the only one allowed in, at medium
// integrity or above.
class TUserOnly {
 public:
  explicit TUserOnly(const std::string& sid) {
    const std::wstring text = UserOnlyDescriptor(sid);
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor_, nullptr)) {
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
  auto* receiver = reinterpret_cast<TWin32Instance::TReceiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == TWin32Instance::RequestMessage()) {
    if (!receiver || !receiver->Accepting || wParam > 1) return kRefused;
    // Answered at once, carried out from the event loop: the asking start never waits for a
    // window that the request opens.
    receiver->Pending.push_back(wParam == 1 ? TInstanceRequest::Quit : TInstanceRequest::Show);
    PostMessageW(window, kDeliverMessage, 0, 0);
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
  return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* InstanceWindowClass() {
  static const wchar_t* name = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = InstanceWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
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

// A boundary with the user's SID, and the medium label when labelled (where the system has
// labels); nullptr when it cannot be made.
HANDLE MakeBoundary(std::string& sid, bool labelled) {
  const auto createBoundary = Kernel32<TCreateBoundaryDescriptorW>("CreateBoundaryDescriptorW");
  const auto addSid = Kernel32<TAddSidToBoundaryDescriptor>("AddSIDToBoundaryDescriptor");
  const auto addLabel = Kernel32<TAddIntegrityLabelToBoundaryDescriptor>("AddIntegrityLabelToBoundaryDescriptor");
  HANDLE boundary = createBoundary ? createBoundary(kBoundaryName, 0) : nullptr;
  if (!boundary) return nullptr;
  std::string label = MediumLabelSid();
  bool made = addSid && addSid(&boundary, sid.data());
  if (made && labelled && addLabel && !label.empty()) made = addLabel(&boundary, label.data()) != FALSE;
  if (made) return boundary;
  if (const auto remove = Kernel32<TDeleteBoundaryDescriptor>("DeleteBoundaryDescriptor")) remove(boundary);
  return nullptr;
}

void DeleteBoundary(void* boundary) {
  if (!boundary) return;
  if (const auto remove = Kernel32<TDeleteBoundaryDescriptor>("DeleteBoundaryDescriptor")) remove(boundary);
}

void ClosePrivateNamespace(void* opened) {
  if (!opened) return;
  if (const auto close = Kernel32<TClosePrivateNamespace>("ClosePrivateNamespace")) close(opened, 0);
}

// Makes the namespace, or opens it where it exists.
TNamespaceState MakeOrOpenNamespace(HANDLE boundary, const std::wstring& alias, const std::string& sidText,
                                    void*& opened) {
  const auto createNamespace = Kernel32<TCreatePrivateNamespaceW>("CreatePrivateNamespaceW");
  const auto openNamespace = Kernel32<TOpenPrivateNamespaceW>("OpenPrivateNamespaceW");
  if (!boundary || !createNamespace || !openNamespace) return TNamespaceState::Unsupported;
  TUserOnly userOnly(sidText);
  // Two tries: a namespace that exists may be gone again before it is opened.
  for (int attempt = 0; attempt < 2; ++attempt) {
    opened = createNamespace(userOnly.Get(), boundary, alias.c_str());
    if (opened) return TNamespaceState::Made;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return TNamespaceState::Unsupported;
    opened = openNamespace(boundary, alias.c_str());
    if (opened) return TNamespaceState::Opened;
  }
  return TNamespaceState::Unopenable;
}

}  // namespace

bool MarkerInPrivateNamespace(TNamespaceState state) {
  // One that exists but cannot be opened was made by a process that must not decide whether
  // this user's program may run.
  return state == TNamespaceState::Made || state == TNamespaceState::Opened;
}

TWin32Instance::TWin32Instance() {
  const TUser user = CurrentUser();
  sid_ = user.Sid;
  sidText_ = user.Text;
  const std::string alias = "Zerka2Remote-" + user.Text;
  const std::string labelledAlias = alias + "-ME";
  const std::string session = "\\Session" + std::to_string(SessionId());
  TNamespaceState state = TNamespaceState::Unsupported;
  if (!sid_.empty()) {
    boundary_ = MakeBoundary(sid_, true);
    state = MakeOrOpenNamespace(boundary_, std::wstring(labelledAlias.begin(), labelledAlias.end()), sidText_,
                                namespace_);
    const auto openNamespace = Kernel32<TOpenPrivateNamespaceW>("OpenPrivateNamespaceW");
    earlierBoundary_ = MakeBoundary(sid_, false);
    if (earlierBoundary_ && openNamespace) {
      earlierNamespace_ = openNamespace(earlierBoundary_, std::wstring(alias.begin(), alias.end()).c_str());
    }
  }
  if (!MarkerInPrivateNamespace(state) && namespace_) {
    ClosePrivateNamespace(namespace_);
    namespace_ = nullptr;
  }
  markerName_ = namespace_ ? labelledAlias + session : "Local\\" + alias;
  recordName_ = markerName_ + "-Window";
  if (earlierNamespace_) {
    earlierMarkerName_ = alias + session;
    earlierRecordName_ = earlierMarkerName_ + "-Window";
  }
}

TWin32Instance::~TWin32Instance() {
  Release();
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  ClosePrivateNamespace(namespace_);
  ClosePrivateNamespace(earlierNamespace_);
  DeleteBoundary(boundary_);
  DeleteBoundary(earlierBoundary_);
}

unsigned TWin32Instance::RequestMessage() {
  static const UINT message = RegisterWindowMessageW(L"Zerka2Remote.InstanceRequest");
  return message;
}

bool TWin32Instance::Claim(TInstanceRequestHandler handler) {
  // An earlier version runs: it keeps the session until it ends.
  if (!earlierMarkerName_.empty() && MarkerHeld(earlierMarkerName_)) return false;
  TUserOnly userOnly(sidText_);
  const std::wstring markerName(markerName_.begin(), markerName_.end());
  HANDLE mutex = CreateMutexW(userOnly.Get(), FALSE, markerName.c_str());
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
    const std::wstring title(sidText_.begin(), sidText_.end());
    HWND window = CreateWindowExW(0, InstanceWindowClass(), title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window) {
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver_));
      LetThroughFromLowerIntegrity(window, RequestMessage());
    }
    window_ = window;
  }
  return true;
}

void TWin32Instance::PublishWindow() {
  TUserOnly userOnly(sidText_);
  const std::wstring recordName(recordName_.begin(), recordName_.end());
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, userOnly.Get(), PAGE_READWRITE, 0,
                                      sizeof(TInstanceRecord), recordName.c_str());
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
  return MarkerHeld(markerName_) || (!earlierMarkerName_.empty() && MarkerHeld(earlierMarkerName_));
}

bool TWin32Instance::MarkerHeld(const std::string& markerName) const {
  const std::wstring name(markerName.begin(), markerName.end());
  HANDLE mutex = OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, name.c_str());
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
void* TWin32Instance::RunningWindow(const std::string& recordName, unsigned long& processId) const {
  if (recordName.empty()) return nullptr;
  const std::wstring name(recordName.begin(), recordName.end());
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
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
    if (void* window = RunningWindow(recordName_, processId)) return window;
    if (void* window = RunningWindow(earlierRecordName_, processId)) return window;
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
  if (!SendMessageTimeoutW(window, RequestMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &answer)) {
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
  SendMessageTimeoutW(window, RequestMessage(), 1, 0, SMTO_ABORTIFHUNG, left, &answer);
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
