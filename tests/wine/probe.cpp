// zerka-probe: looks into a running zerka2remote from outside, the way an accessibility tool
// would, for the automated GUI run under Wine. It only uses what any other process may: find
// windows, read their texts, post messages.
//
//   zerka-probe fields                    every control of the window, then the six result fields
//   zerka-probe layout                    "client W H", then "CLASS TEXT: LEFT TOP WIDTH HEIGHT"
//                                         per control, within its parent's client area (line
//                                         breaks in a text read as blanks)
//   zerka-probe wait FIELD TEXT MS        waits until the result field FIELD reads TEXT
//   zerka-probe visible                   "visible 1" or "visible 0"
//   zerka-probe menu MS                   waits for an open popup menu, prints "x y width height"
//   zerka-probe close                     posts a close request to the window
//   zerka-probe confirm MS                waits for the "Beenden" question, prints it, presses OK
//   zerka-probe decline MS                waits for the "Beenden" question, prints its buttons
//                                         ("buttons OK Abbrechen"), presses the cancel button
//   zerka-probe order                     "TEXT: before CLASS" per label, the control that follows
//                                         it in z-order (where a screen reader takes a field's name)
//   zerka-probe focus                     "focus CLASS TEXT" of the window's focused control, or
//                                         "focus none (active CLASS "TEXT", WxH)"
//   zerka-probe codepage                  "codepage N": the system's ANSI code page
//   zerka-probe shortpath PATH            the path's short (8.3) form, as installers may be given it
//   zerka-probe hold PATH MS              keeps the file open for MS ms, shared for reading only,
//                                         as a virus scanner or backup may hold a file
//
// Output is UTF-8. Exit status 0 on success, 1 when the thing looked for is not there in time,
// 2 for a wrong command line.

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kFormCaption = L"Zerka2Remote2Config";
constexpr const wchar_t* kResultsCaption = L"Ergebnisse";
constexpr const wchar_t* kQuestionCaption = L"Beenden";
constexpr const wchar_t* kDialogClass = L"#32770";
constexpr const wchar_t* kMenuClass = L"#32768";
constexpr DWORD kPollMs = 100;

// The result fields from top to bottom inside the group box.
constexpr const char* kFieldNames[] = {"Internetverbindungen", "Status", "DFUEGesperrt",
                                       "Zeitbisauflegen",      "DFUEIP", "Onlinezeit"};
constexpr std::size_t kFieldCount = sizeof kFieldNames / sizeof kFieldNames[0];

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

// Works across processes: the system copies the text of standard controls.
std::wstring TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, sizeof buffer / sizeof buffer[0]);
  return buffer;
}

bool IsClass(HWND window, const wchar_t* name) { return lstrcmpiW(ClassOf(window).c_str(), name) == 0; }

struct TTopLevelSearch {
  const wchar_t* Caption;
  const wchar_t* ClassName;  // nullptr: any class
  bool VisibleOnly;
  HWND Found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<TTopLevelSearch*>(param);
  if (search.VisibleOnly && !IsWindowVisible(window)) return TRUE;
  if (search.ClassName && !IsClass(window, search.ClassName)) return TRUE;
  if (search.Caption && TextOf(window) != search.Caption) return TRUE;
  search.Found = window;
  return FALSE;
}

HWND FindTopLevel(const wchar_t* caption, const wchar_t* className, bool visibleOnly) {
  TTopLevelSearch search{caption, className, visibleOnly, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The program's window is the top-level window with its caption that holds the results group.
BOOL CALLBACK MatchForm(HWND window, LPARAM param) {
  if (TextOf(window) != kFormCaption) return TRUE;
  for (HWND child : Descendants(window)) {
    if (IsClass(child, L"Button") && TextOf(child) == kResultsCaption) {
      *reinterpret_cast<HWND*>(param) = window;
      return FALSE;
    }
  }
  return TRUE;
}

HWND FindForm() {
  HWND form = nullptr;
  EnumWindows(MatchForm, reinterpret_cast<LPARAM>(&form));
  return form;
}

// The edit fields that are direct children of the results group, top to bottom.
std::vector<HWND> ResultFields(HWND form) {
  HWND group = nullptr;
  for (HWND child : Descendants(form)) {
    if (IsClass(child, L"Button") && TextOf(child) == kResultsCaption) group = child;
  }
  std::vector<HWND> fields;
  if (!group) return fields;
  for (HWND child : Descendants(group)) {
    if (GetParent(child) == group && IsClass(child, L"Edit")) fields.push_back(child);
  }
  std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return fields;
}

void PrintControls(HWND form) {
  for (HWND child : Descendants(form)) {
    std::printf("%d/%s: %s\n", GetDlgCtrlID(child), ToUtf8(ClassOf(child)).c_str(), ToUtf8(TextOf(child)).c_str());
  }
}

// Prints "field NAME: TEXT" per result field; false when the six are not there.
bool PrintFields(const std::vector<HWND>& fields) {
  if (fields.size() != kFieldCount) {
    std::printf("results: %zu edit fields found, %zu expected\n", fields.size(), kFieldCount);
    return false;
  }
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    std::printf("field %s: %s\n", kFieldNames[i], ToUtf8(TextOf(fields[i])).c_str());
  }
  return true;
}

int FieldIndex(const std::string& name) {
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (name == kFieldNames[i]) return static_cast<int>(i);
  }
  return -1;
}

// Runs check every kPollMs until it holds or timeoutMs have passed.
template <typename Check>
bool WaitFor(DWORD timeoutMs, Check check) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (check()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

HWND RequireForm() {
  HWND form = FindForm();
  if (!form) std::printf("window \"Zerka2Remote2Config\" not found\n");
  return form;
}

int CmdFields() {
  HWND form = RequireForm();
  if (!form) return 1;
  PrintControls(form);
  return PrintFields(ResultFields(form)) ? 0 : 1;
}

int CmdLayout() {
  HWND form = RequireForm();
  if (!form) return 1;
  RECT client;
  GetClientRect(form, &client);
  std::printf("client %ld %ld\n", client.right, client.bottom);
  for (HWND child : Descendants(form)) {
    RECT bounds;
    GetWindowRect(child, &bounds);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
    std::string text = ToUtf8(TextOf(child));
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::printf("%s %s: %ld %ld %ld %ld\n", ToUtf8(ClassOf(child)).c_str(), text.c_str(),
                bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  }
  return 0;
}

int CmdWait(const std::string& field, const std::string& expected, DWORD timeoutMs) {
  const int index = FieldIndex(field);
  if (index < 0) {
    std::printf("unknown field %s\n", field.c_str());
    return 2;
  }
  std::vector<HWND> fields;
  const bool seen = WaitFor(timeoutMs, [&] {
    HWND form = FindForm();
    fields = form ? ResultFields(form) : std::vector<HWND>{};
    return fields.size() == kFieldCount && ToUtf8(TextOf(fields[static_cast<std::size_t>(index)])) == expected;
  });
  if (!seen) std::printf("field %s did not read \"%s\" within %lu ms\n", field.c_str(), expected.c_str(), timeoutMs);
  PrintFields(fields);
  return seen ? 0 : 1;
}

int CmdVisible() {
  HWND form = RequireForm();
  if (!form) return 1;
  std::printf("visible %d\n", IsWindowVisible(form) ? 1 : 0);
  return 0;
}

int CmdMenu(DWORD timeoutMs) {
  HWND menu = nullptr;
  if (!WaitFor(timeoutMs, [&] { return (menu = FindTopLevel(nullptr, kMenuClass, true)) != nullptr; })) {
    std::printf("no popup menu open within %lu ms\n", timeoutMs);
    return 1;
  }
  RECT bounds;
  GetWindowRect(menu, &bounds);
  std::printf("%ld %ld %ld %ld\n", bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  return 0;
}

// The application window (the form's owner) carries the program's taskbar button.
int CmdTaskbar() {
  HWND form = RequireForm();
  if (!form) return 1;
  HWND application = GetWindow(form, GW_OWNER);
  std::printf("taskbar %d iconic %d\n", application && IsWindowVisible(application) ? 1 : 0,
              application && IsIconic(application) ? 1 : 0);
  return application ? 0 : 1;
}

// What the minimise box of the title bar sends.
int CmdMinimize() {
  HWND form = RequireForm();
  if (!form) return 1;
  return PostMessageW(form, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
}

int CmdClose() {
  HWND form = RequireForm();
  if (!form) return 1;
  return PostMessageW(form, WM_CLOSE, 0, 0) ? 0 : 1;
}

HWND WaitForQuestion(DWORD timeoutMs) {
  HWND box = nullptr;
  if (!WaitFor(timeoutMs, [&] { return (box = FindTopLevel(kQuestionCaption, kDialogClass, true)) != nullptr; })) {
    std::printf("no \"Beenden\" question within %lu ms\n", timeoutMs);
  }
  return box;
}

int CmdConfirm(DWORD timeoutMs) {
  HWND box = WaitForQuestion(timeoutMs);
  if (!box) return 1;
  for (HWND child : Descendants(box)) {
    if (IsClass(child, L"Static") && !TextOf(child).empty()) std::printf("question: %s\n", ToUtf8(TextOf(child)).c_str());
  }
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok) {
    std::printf("the question has no OK button\n");
    return 1;
  }
  // What the button itself sends when pressed: the dialog ends with IDOK.
  return PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok)) ? 0 : 1;
}

int CmdDecline(DWORD timeoutMs) {
  HWND box = WaitForQuestion(timeoutMs);
  if (!box) return 1;
  std::printf("buttons");
  for (HWND child : Descendants(box)) {
    if (IsClass(child, L"Button")) std::printf(" %s", ToUtf8(TextOf(child)).c_str());
  }
  std::printf("\n");
  HWND cancel = GetDlgItem(box, IDCANCEL);
  if (!cancel) return 1;
  return PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel)) ? 0 : 1;
}

int CmdOrder() {
  HWND form = RequireForm();
  if (!form) return 1;
  for (HWND child : Descendants(form)) {
    if (!IsClass(child, L"Static")) continue;
    HWND next = GetWindow(child, GW_HWNDNEXT);
    std::printf("%s: before %s\n", ToUtf8(TextOf(child)).c_str(), next ? ToUtf8(ClassOf(next)).c_str() : "nothing");
  }
  return 0;
}

int WindowWidth(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  return bounds.right - bounds.left;
}

int WindowHeight(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  return bounds.bottom - bounds.top;
}

int CmdFocus() {
  HWND form = RequireForm();
  if (!form) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const bool known = GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
  if (!known || !info.hwndFocus || !IsChild(form, info.hwndFocus)) {
    // Where the keyboard went instead.
    std::printf("focus none (active %s \"%s\", %dx%d)\n", info.hwndActive ? ToUtf8(ClassOf(info.hwndActive)).c_str() : "none",
                info.hwndActive ? ToUtf8(TextOf(info.hwndActive)).c_str() : "",
                info.hwndActive ? WindowWidth(info.hwndActive) : 0, info.hwndActive ? WindowHeight(info.hwndActive) : 0);
  } else {
    std::printf("focus %s %s\n", ToUtf8(ClassOf(info.hwndFocus)).c_str(), ToUtf8(TextOf(info.hwndFocus)).c_str());
  }
  return 0;
}

std::wstring FromUtf8(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
  return wide;
}

int CmdHold(const std::string& path, DWORD ms) {
  HANDLE file = CreateFileW(FromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(ms);
  CloseHandle(file);
  return 0;
}

int CmdShortPath(const std::string& path) {
  wchar_t shortPath[MAX_PATH] = {};
  if (!GetShortPathNameW(FromUtf8(path).c_str(), shortPath, MAX_PATH)) return 1;
  std::printf("%s\n", ToUtf8(shortPath).c_str());
  return 0;
}

std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(ToUtf8(list[i]));
  LocalFree(list);
  return arguments;
}

DWORD Milliseconds(const std::string& text) { return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10)); }

int Usage() {
  std::fprintf(stderr,
               "usage: zerka-probe fields | layout | wait FIELD TEXT MS | visible | taskbar | minimize | menu MS |\n"
               "                   close | confirm MS | decline MS | order | focus |\n"
               "                   codepage | shortpath PATH | hold PATH MS\n");
  return 2;
}

}  // namespace

int main() {
  // Plain LF line ends for the shell script that reads the output.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::vector<std::string> args = Arguments();
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  int status = 2;
  if (command == "fields" && args.size() == 1) {
    status = CmdFields();
  } else if (command == "layout" && args.size() == 1) {
    status = CmdLayout();
  } else if (command == "wait" && args.size() == 4) {
    status = CmdWait(args[1], args[2], Milliseconds(args[3]));
  } else if (command == "visible" && args.size() == 1) {
    status = CmdVisible();
  } else if (command == "menu" && args.size() == 2) {
    status = CmdMenu(Milliseconds(args[1]));
  } else if (command == "taskbar" && args.size() == 1) {
    status = CmdTaskbar();
  } else if (command == "minimize" && args.size() == 1) {
    status = CmdMinimize();
  } else if (command == "close" && args.size() == 1) {
    status = CmdClose();
  } else if (command == "confirm" && args.size() == 2) {
    status = CmdConfirm(Milliseconds(args[1]));
  } else if (command == "decline" && args.size() == 2) {
    status = CmdDecline(Milliseconds(args[1]));
  } else if (command == "order" && args.size() == 1) {
    status = CmdOrder();
  } else if (command == "focus" && args.size() == 1) {
    status = CmdFocus();
  } else if (command == "codepage" && args.size() == 1) {
    std::printf("codepage %u\n", GetACP());
    status = 0;
  } else if (command == "shortpath" && args.size() == 2) {
    status = CmdShortPath(args[1]);
  } else if (command == "hold" && args.size() == 3) {
    status = CmdHold(args[1], Milliseconds(args[2]));
  } else {
    return Usage();
  }
  std::fflush(stdout);
  return status;
}
