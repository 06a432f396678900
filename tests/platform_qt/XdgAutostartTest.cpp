// Start at log-in on Linux: the desktop entry in the autostart folder, through the port and
// through the program's own options, in a temporary configuration folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "platform/qt/XdgAutostart.h"

namespace zerka::qt {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class XdgAutostart : public ::testing::Test {
 protected:
  XdgAutostart() {
    folder = fs::temp_directory_path() / ("zerka-xdg-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  ~XdgAutostart() override {
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(folder);
  }
  fs::path Entry() const { return folder / "autostart" / "zerka2remote.desktop"; }
  fs::path folder;
};

TEST_F(XdgAutostart, EnableWritesTheEntryAndDisableRemovesIt) {
  TXdgAutostart autostart("/opt/Zerka 2/bin/zerka2remote");
  EXPECT_FALSE(autostart.IsEnabled());
  ASSERT_TRUE(autostart.Enable());
  EXPECT_TRUE(autostart.IsEnabled());
  const std::string text = Read(Entry());
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(text.find("\nExec=\"/opt/Zerka 2/bin/zerka2remote\"\n"), std::string::npos);
  EXPECT_TRUE(autostart.Disable());
  EXPECT_FALSE(fs::exists(Entry()));
  EXPECT_TRUE(autostart.Disable()) << "off already";
}

TEST_F(XdgAutostart, ExecQuotesWhatTheEntryFormatReserves) {
  const std::string text = TXdgAutostart::EntryText("/home/a\"b/$x`y\\z/100%/zerka2remote");
  EXPECT_NE(text.find("\nExec=\"/home/a\\\\\"b/\\\\$x\\\\`y\\\\\\\\z/100%%/zerka2remote\"\n"), std::string::npos)
      << text;
}

TEST_F(XdgAutostart, WithoutAnAbsoluteConfigHomeTheEntryGoesBelowHome) {
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(TXdgAutostart::EntryFile(), fs::path(std::getenv("HOME")) / ".config/autostart/zerka2remote.desktop");
}

// The program itself, without a display: the options need none and end at once.
TEST_F(XdgAutostart, TheProgramsOptionsWriteAndRemoveTheEntry) {
  const std::string program = ZERKA_PROGRAM;
  const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none ";
  ASSERT_EQ(std::system((env + program + " --autostart=on").c_str()), 0);
  EXPECT_NE(Read(Entry()).find("\nExec=\"" + fs::canonical(program).string() + "\"\n"), std::string::npos);
  ASSERT_EQ(std::system((env + program + " --autostart=off").c_str()), 0);
  EXPECT_FALSE(fs::exists(Entry()));
  EXPECT_FALSE(fs::exists(folder / "Velmarin")) << "no settings touched";
}

}  // namespace
}  // namespace zerka::qt
