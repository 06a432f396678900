#include "framework/Shell.h"

#include "framework/Platform.h"

namespace zerka {

bool OpenUrl(TWindowHandle owner, const std::string& url) {
  return Platform().Shell().ShellOpen(owner, url, TShowCommand::ShowMaximized);
}

}  // namespace zerka
