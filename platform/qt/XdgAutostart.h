#pragma once
// Start at log-in on Linux desktops: the desktop entry zerka2remote.desktop in the user's
// autostart folder ($XDG_CONFIG_HOME/autostart, ~/.config/autostart when that is not set),
// starting the program by its absolute path.

#include <filesystem>

#include "framework/Autostart.h"

namespace zerka::qt {

class TXdgAutostart : public IAutostartPort {
 public:
  explicit TXdgAutostart(std::filesystem::path program) : program_(std::move(program)) {}

  bool Enable() override;
  bool Disable() override;
  bool IsEnabled() override;

  // The desktop entry's file, from the environment as it is now.
  static std::filesystem::path EntryFile();
  // The absolute path of the running executable.
  static std::filesystem::path ThisProgram();
  // The desktop entry's text for a program at that path.
  static std::string EntryText(const std::filesystem::path& program);

 private:
  std::filesystem::path program_;
};

}  // namespace zerka::qt
