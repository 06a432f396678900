// Shell port:
//  [x] clipboard as CF_UNICODETEXT (the system offers CF_TEXT from it to those who ask)
//  [x] ShellExecuteW with "open" and the caller's show command
#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

// Holds the clipboard open for one operation.
class TOpenClipboard {
 public:
  explicit TOpenClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~TOpenClipboard() {
    if (open_) CloseClipboard();
  }
  TOpenClipboard(const TOpenClipboard&) = delete;
  TOpenClipboard& operator=(const TOpenClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

HGLOBAL CopyToGlobal(const std::wstring& text) {
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  auto* units = static_cast<wchar_t*>(GlobalLock(memory));
  if (!units) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(units, text.c_str(), size);
  GlobalUnlock(memory);
  return memory;
}

}  // namespace

bool TWin32Shell::SetClipboardText(const std::string& text) {
  // Without an owner window EmptyClipboard leaves no owner and SetClipboardData fails.
  const TOpenClipboard clipboard(reinterpret_cast<HWND>(clipboardOwner_()));
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  HGLOBAL memory = CopyToGlobal(Wide(text));
  if (!memory) return false;
  if (!SetClipboardData(CF_UNICODETEXT, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

bool TWin32Shell::GetClipboardText(std::string& text) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
  const TOpenClipboard clipboard(reinterpret_cast<HWND>(clipboardOwner_()));
  if (!clipboard.IsOpen()) return false;
  HANDLE memory = GetClipboardData(CF_UNICODETEXT);
  if (!memory) return false;
  const auto* units = static_cast<const wchar_t*>(GlobalLock(memory));
  if (!units) return false;
  // The block may be larger than its text, or (from a careless writer) lack the NUL.
  const std::size_t size = GlobalSize(memory) / sizeof(wchar_t);
  text = Narrow(std::wstring_view(units, wcsnlen(units, size)));
  GlobalUnlock(memory);
  return true;
}

bool TWin32Shell::ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(reinterpret_cast<HWND>(owner), L"open",
                                                              Wide(target).c_str(), nullptr, nullptr,
                                                              static_cast<int>(show)));
  return result > 32;
}

}  // namespace zerka::win32
