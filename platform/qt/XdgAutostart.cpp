// Start-at-log-on port, XDG autostart:
//  [x] Enable: writes the desktop entry beside a temporary file, then renames it into place
//  [x] Disable: removes the entry; a missing one counts as off
//  [x] IsEnabled: the entry is there
#include "platform/qt/XdgAutostart.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace zerka::qt {
namespace {

// One argument of an Exec key: quoted, with the characters the desktop entry format reserves
// inside quotes escaped; then the escapes of a string value, and "%" doubled for field codes.
std::string ExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (const char c : quoted) {
    if (c == '\\') value += "\\\\";
    else if (c == '%') value += "%%";
    else value += c;
  }
  return value;
}

// A string value as it stands, with the format's escapes.
std::string StringValue(const std::string& text) {
  std::string value;
  for (const char c : text) {
    if (c == '\\') value += "\\\\";
    else if (c == '\n') value += "\\n";
    else if (c == '\t') value += "\\t";
    else if (c == '\r') value += "\\r";
    else value += c;
  }
  return value;
}

}  // namespace

std::filesystem::path TXdgAutostart::EntryFile() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path folder;
  // XDG ignores a relative value.
  if (configHome && std::filesystem::path(configHome).is_absolute()) {
    folder = configHome;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::filesystem::path(home ? home : "") / ".config";
  }
  return folder / "autostart" / "zerka2remote.desktop";
}

std::filesystem::path TXdgAutostart::ThisProgram() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path("zerka2remote") : path;
}

std::string TXdgAutostart::EntryText(const std::filesystem::path& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Zerka2 Remote\n"
         "Comment=Watches and remote-controls a Zerka proxy server from the notification area\n"
         "Comment[de]=\xC3\x9C" "berwacht und steuert einen Zerka-Proxy-Server aus dem Infobereich\n"
         // Once the program is gone, the session no longer tries to start it at every log-in.
         "TryExec=" + StringValue(program.string()) + "\n"
         "Exec=" + ExecArgument(program.string()) + "\n"
         "Icon=zerka2remote\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool TXdgAutostart::Enable() {
  const auto entry = EntryFile();
  std::error_code error;
  std::filesystem::create_directories(entry.parent_path(), error);
  if (error) return false;
  auto temporary = entry;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << EntryText(program_);
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, entry, error);
  if (!error) return true;
  std::filesystem::remove(temporary, error);
  return false;
}

bool TXdgAutostart::Disable() {
  std::error_code error;
  std::filesystem::remove(EntryFile(), error);
  return !error;
}

bool TXdgAutostart::IsEnabled() {
  std::error_code error;
  return std::filesystem::exists(EntryFile(), error);
}

}  // namespace zerka::qt
