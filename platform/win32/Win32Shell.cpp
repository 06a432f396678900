// Shell port:
//  [x] clipboard as CF_TEXT (the bytes as they are, NUL-terminated)
//  [x] ShellExecuteA with "open" and the caller's show command
#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

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

HGLOBAL CopyToGlobal(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return nullptr;
  auto* bytes = static_cast<char*>(GlobalLock(memory));
  if (!bytes) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  return memory;
}

}  // namespace

bool TWin32Shell::SetClipboardText(const std::string& text) {
  // Without an owner window EmptyClipboard leaves no owner and SetClipboardData fails.
  const TOpenClipboard clipboard(reinterpret_cast<HWND>(clipboardOwner_()));
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  HGLOBAL memory = CopyToGlobal(text);
  if (!memory) return false;
  if (!SetClipboardData(CF_TEXT, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

bool TWin32Shell::GetClipboardText(std::string& text) {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
  const TOpenClipboard clipboard(reinterpret_cast<HWND>(clipboardOwner_()));
  if (!clipboard.IsOpen()) return false;
  HANDLE memory = GetClipboardData(CF_TEXT);
  if (!memory) return false;
  const auto* bytes = static_cast<const char*>(GlobalLock(memory));
  if (!bytes) return false;
  // The block may be larger than its text, or (from a careless writer) lack the NUL.
  const std::size_t size = GlobalSize(memory);
  text.assign(bytes, strnlen(bytes, size));
  GlobalUnlock(memory);
  return true;
}

bool TWin32Shell::ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(reinterpret_cast<HWND>(owner), "open", target.c_str(),
                                                              nullptr, nullptr, static_cast<int>(show)));
  return result > 32;
}

}  // namespace zerka::win32
