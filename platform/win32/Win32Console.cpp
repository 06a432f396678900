#include "platform/win32/Win32Console.h"

#include <windows.h>

#include "base/Latin1.h"

namespace zerka::win32 {

void WriteToConsole(const std::string& latin1) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  bool attached = false;
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    attached = true;
    out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
      FreeConsole();
      return;
    }
  }
  std::string lines;
  for (const char c : latin1) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    // A console shows UTF-16 whatever its code page.
    std::wstring text;
    for (const char c : lines) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    const std::string utf8 = Latin1ToUtf8(lines);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
  if (attached) {
    CloseHandle(out);
    FreeConsole();
  }
}

}  // namespace zerka::win32
