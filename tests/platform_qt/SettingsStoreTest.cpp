#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "base/Latin1.h"
#include "framework/Registry.h"
#include "platform/qt/FileSettingsStore.h"
#include "platform/qt/SettingsFile.h"
#include "QtTestSupport.h"

namespace zerka::qt {
namespace {

namespace fs = std::filesystem;

const std::string kSection = "Zerka 2 Remote 2";

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

TEST(SettingsFile, AwkwardValuesReadBackExactly) {
  const TSettingsValues written = {
      {"Proxy Host", ""},
      {"HTTP Passwort", " a\"b\\c "},
      {"HTTP User", "J\xFCrgen"},
      {"Note", "tab\there\r\nline\x01"},
      {"Quoted", "\"x\""},
  };
  const std::string file = FormatSettingsFile(written, kSection);
  EXPECT_NE(file.find("HTTP User=J\xC3\xBCrgen\n"), std::string::npos) << "UTF-8 on disk";
  EXPECT_NE(file.find("Proxy Host=\n"), std::string::npos);
  EXPECT_EQ(file.rfind("[Zerka 2 Remote 2]\n", 0), 0u);
  EXPECT_EQ(ParseSettingsFile(file, kSection), written);
}

// zerka2remote(1) shows how to give the settings without the window; a user copies its lines.
TEST(SettingsFile, TheManualPagesExampleGivesEveryValueItShows) {
  std::istringstream page(ReadAll(ZERKA_MANUAL_PAGE));
  std::string line, example;
  while (std::getline(page, line) && line.find("Einstellungen ohne Fenster vorgeben") == std::string::npos) {
  }
  while (std::getline(page, line) && line != ".nf") {
  }
  while (std::getline(page, line) && line != ".fi") {
    for (std::size_t at; (at = line.find("\\-")) != std::string::npos;) line.replace(at, 2, "-");
    example += line + "\n";
  }
  ASSERT_FALSE(example.empty()) << "no example in " << ZERKA_MANUAL_PAGE;
  const TSettingsValues values = ParseSettingsFile(DecodeFileText(example), kSection);
  const TSettingsValues expected = {{"Proxy Host", "proxy.example.org"}, {"Proxy Port", "4295"},
                                    {"Abfrageinterval", "1000"},         {"Aktiviert", "1"},
                                    {"Ballooninfo", "1"}};
  EXPECT_EQ(values, expected) << example;
}

TEST(SettingsFile, MalformedFileYieldsWhatCanBeRead) {
  const std::string file =
      "\xFF\xFE garbage without equals\r\n"
      "Proxy Port = 5000 \r\n"
      "=no name\n"
      "; Proxy Host=commented\n"
      "HTTP User=Gr\xFC\xDF" "e\n"          // Latin-1 bytes written by hand
      "HTTP Passwort=\"unterminated\n"
      "[Other Program]\n"
      "Aktiviert=1\n"
      "[zerka 2 REMOTE 2]\n"
      "proxy port=6000\n"
      "Ballooninfo=\xE2\x82\xAC\n"           // the euro sign has no Latin-1 form
      "[broken section\n"
      "Abfrageinterval=77";
  const TSettingsValues values = ParseSettingsFile(file, kSection);
  ASSERT_NE(FindSettingsValue(values, "PROXY PORT"), nullptr);
  EXPECT_EQ(*FindSettingsValue(values, "Proxy Port"), "6000") << "the last of equal names wins";
  EXPECT_EQ(*FindSettingsValue(values, "HTTP User"), "Gr\xFC\xDF" "e");
  EXPECT_EQ(*FindSettingsValue(values, "HTTP Passwort"), "\"unterminated");
  EXPECT_EQ(*FindSettingsValue(values, "Ballooninfo"), "?");
  EXPECT_EQ(FindSettingsValue(values, "Aktiviert"), nullptr) << "another section's value";
  EXPECT_EQ(FindSettingsValue(values, "Proxy Host"), nullptr);
  EXPECT_EQ(FindSettingsValue(values, "Abfrageinterval"), nullptr) << "after a section of another name";
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() : platform(InstallForTest(folder.Path())) {}

  fs::path Folder() const { return folder.Path() / "Velmarin"; }
  fs::path File() const { return Folder() / "Zerka 2 Remote 2.ini"; }

  TTempFolder folder;
  std::unique_ptr<TQtPlatformInstallation> platform;
};

TEST_F(SettingsStoreTest, FirstStartMakesTheFolderAndApplyTheFile) {
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Velmarin", true));
    EXPECT_EQ(registry.ReadInteger(kSection, "Proxy Port", 4295), 4295);
    EXPECT_EQ(registry.ReadString(kSection, "Proxy Host", "127.0.0.1"), "127.0.0.1");
  }
  ASSERT_TRUE(fs::is_directory(Folder()));
  EXPECT_EQ(fs::status(Folder()).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_FALSE(fs::exists(File())) << "only Apply makes the subkey";

  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Velmarin", true));
    registry.WriteInteger(kSection, "Proxy Port", 4300);
    registry.WriteString(kSection, "HTTP Passwort", "gehe\xEFm ");
    registry.WriteString(kSection, "Proxy Host", "");
  }
  ASSERT_TRUE(fs::is_regular_file(File()));
  EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1)
      << "no temporary file is left behind";
  EXPECT_EQ(ReadAll(File()), "[Zerka 2 Remote 2]\nProxy Port=4300\nHTTP Passwort=\"gehe\xC3\xAFm \"\nProxy Host=\n");

  // The next start reads the same values.
  auto restarted = InstallForTest(folder.Path());
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("Software\\Velmarin", false));
  EXPECT_EQ(registry.ReadInteger(kSection, "Proxy Port", 4295), 4300);
  EXPECT_EQ(registry.ReadString(kSection, "Proxy Host", "127.0.0.1"), "") << "stored empty is not missing";
  EXPECT_EQ(registry.ReadString(kSection, "HTTP Passwort", ""), "gehe\xEFm ");
}

TEST_F(SettingsStoreTest, AWriteReplacesTheWholeFileAtOnce) {
  fs::create_directories(Folder());
  { std::ofstream(File()) << "# hand-written\nProxy Port=4400\nAktiviert=1\n"; }
  const int before = ::open(File().c_str(), O_RDONLY);
  ASSERT_GE(before, 0);
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Velmarin", false));
    registry.WriteBool(kSection, "Aktiviert", false);
  }
  // A reader that opened the old file still sees all of it; the name now holds the new one.
  char old[128] = {};
  EXPECT_GT(::pread(before, old, sizeof old - 1, 0), 0);
  ::close(before);
  EXPECT_EQ(std::string(old), "# hand-written\nProxy Port=4400\nAktiviert=1\n");
  EXPECT_EQ(ReadAll(File()), "[Zerka 2 Remote 2]\nProxy Port=4400\nAktiviert=0\n");
  EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SettingsStoreTest, AWriteRemovesTheTemporaryFilesOfKilledWriters) {
  fs::create_directories(Folder());
  { std::ofstream(File()) << "Proxy Port=4400\n"; }
  const auto made = [&](const std::string& name, bool old) {
    const fs::path path = Folder() / name;
    { std::ofstream(path) << "Proxy Port=44"; }
    if (old) fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
    return path;
  };
  const fs::path killed = made(".Zerka 2 Remote 2.ini.a1B2c3", true);
  const fs::path alsoKilled = made(".Zerka 2 Remote 2.ini.ZZZZZZ", true);
  // Not ours to remove: a writer still at work (holding its lock, or too young to have
  // taken it), other names, another key's temporary file, something other than a file.
  const fs::path working = made(".Zerka 2 Remote 2.ini.w0rk1n", true);
  const int lock = ::open(working.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  const std::vector<fs::path> kept = {
      working,
      made(".Zerka 2 Remote 2.ini.y0ung1", false),
      made(".Zerka 2 Remote 2.ini.abc12", true),
      made(".Zerka 2 Remote 2.ini.abc-12", true),
      made("Zerka 2 Remote 2.ini.abc123", true),
      made(".Zerka 2 Remote 2.ini.abc123.bak", true),
      made(".Andere.ini.abc123", true),
      made("notes.txt", true),
  };
  fs::create_directory(Folder() / ".Zerka 2 Remote 2.ini.folder");

  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\Velmarin", false));
    registry.WriteInteger(kSection, "Proxy Port", 4401);
  }
  ::close(lock);
  EXPECT_FALSE(fs::exists(killed));
  EXPECT_FALSE(fs::exists(alsoKilled));
  for (const fs::path& path : kept) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_TRUE(fs::is_directory(Folder() / ".Zerka 2 Remote 2.ini.folder"));
  EXPECT_EQ(ReadAll(File()), "[Zerka 2 Remote 2]\nProxy Port=4401\n");
}

TEST_F(SettingsStoreTest, NamesOfFoldersFilesAndValuesIgnoreCase) {
  fs::create_directories(folder.Path() / "VELMARIN");
  { std::ofstream(folder.Path() / "VELMARIN" / "zerka 2 remote 2.INI") << "proxy PORT=4500\n"; }
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("software\\velmarin", true));
  EXPECT_EQ(registry.ReadInteger(kSection, "Proxy Port", 4295), 4500);
  registry.WriteInteger(kSection, "Proxy Port", 4501);
  EXPECT_FALSE(fs::exists(Folder())) << "no second folder beside the one found";
  EXPECT_EQ(ReadAll(folder.Path() / "VELMARIN" / "zerka 2 remote 2.INI"), "[zerka 2 remote 2]\nproxy PORT=4501\n");
}

TEST_F(SettingsStoreTest, RefusesWhatTheFilesCannotHold) {
  auto& store = platform->Platform().Settings();
  TSettingsKey key = 0;
  EXPECT_EQ(store.OpenKey(0, "Environment", true, key), TSettingsResult::Failed);
  EXPECT_EQ(store.OpenKey(0, "Software\\Velmarin\\Zerka 2 Remote 2\\Deeper", false, key), TSettingsResult::NotFound);
  ASSERT_EQ(store.OpenKey(0, "Software\\Velmarin\\Zerka 2 Remote 2", true, key), TSettingsResult::Ok);
  EXPECT_EQ(store.SetValue(key, "Proxy Port", TValueType::DWord, {1, 0, 0, 0}), TSettingsResult::Failed);
  EXPECT_EQ(store.SetValue(key, "a=b", TValueType::String, {'x', 0}), TSettingsResult::Failed);
  store.CloseKey(key);

  // A file where the folder should be: the key cannot be made, and nothing breaks.
  fs::remove_all(Folder());
  { std::ofstream(Folder()) << "not a folder"; }
  TRegistry registry;
  EXPECT_FALSE(registry.OpenKey("Software\\Velmarin", true));
  EXPECT_EQ(registry.ReadInteger(kSection, "Proxy Port", 4295), 4295);
}

}  // namespace
}  // namespace zerka::qt
