#include "platform/headless/HeadlessDesktop.h"

#include <chrono>
#include <ctime>

namespace zerka::headless {

bool THeadlessDesktop::GetCursorPos(TPoint& pos) {
  if (!CursorAvailable) return false;
  pos = Cursor;
  return true;
}

bool THeadlessDesktop::SetClipboardText(const std::string& text) {
  if (!ClipboardAvailable) return false;
  ClipboardText = text;
  ClipboardHasText = true;
  return true;
}

bool THeadlessDesktop::GetClipboardText(std::string& text) {
  if (!ClipboardAvailable || !ClipboardHasText) return false;
  text = ClipboardText;
  return true;
}

bool THeadlessDesktop::ShellOpen(TWindowHandle owner, const std::string& target, TShowCommand show) {
  Opened.push_back({owner, target, show});
  return ShellOpenSucceeds;
}

std::string THeadlessDesktop::DateTimeText() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[32] = {};
  std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
  return text;
}

}  // namespace zerka::headless
