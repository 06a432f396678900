// Start at log-in on Linux: the desktop entry in the autostart folder, through the port and
// through the program's own options, in a temporary configuration folder.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "base/ProjectVersion.h"

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
  EXPECT_NE(text.find("\nTryExec=/opt/Zerka 2/bin/zerka2remote\n"), std::string::npos);
  EXPECT_NE(text.find("\nComment[de]=\xC3\x9C" "berwacht"), std::string::npos);
  if (std::system("command -v desktop-file-validate > /dev/null") == 0) {
    EXPECT_EQ(std::system(("test -z \"$(desktop-file-validate '" + Entry().string() + "' 2>&1)\"").c_str()), 0)
        << "desktop-file-validate finds fault with the entry";
  }
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

// With a display at hand: a message box would wait for a click until the time-out ends it.
TEST_F(XdgAutostart, TheProgramPrintsItsHelpAndVersionAndEnds) {
  auto run = [](const std::string& option, std::string& out) {
    FILE* pipe = ::popen(("QT_QPA_PLATFORM=offscreen timeout 20 " ZERKA_PROGRAM " " + option).c_str(), "r");
    char buffer[256];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string help, version;
  EXPECT_EQ(run("--help", help), 0);
  for (const char* option : {"--autostart=on", "--autostart=off", "--help", "--version"}) {
    EXPECT_NE(help.find(std::string("\n  ") + option + " "), std::string::npos) << option << " in\n" << help;
  }
  EXPECT_EQ(run("--version", version), 0);
  EXPECT_EQ(version, "zerka2remote " ZERKA_VERSION "\n");
}

}  // namespace
}  // namespace zerka::qt
