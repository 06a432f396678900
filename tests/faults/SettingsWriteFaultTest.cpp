// The Linux settings file under a full disk, a writer killed mid-write and a folder that
// cannot be made: Apply reports the German error, and the file on disk is always the old one
// or the new one, whole, never a mix or a stub.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/Latin1.h"
#include "framework/Application.h"
#include "monitor/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/qt/FileSettingsStore.h"

namespace zerka {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The headless platform with the real settings files in place of its in-memory store.
class FileBackedPlatform : public headless::THeadlessPlatform {
 public:
  explicit FileBackedPlatform(const fs::path& software) : files(software) {}
  ISettingsPort& Settings() override { return files; }
  qt::TFileSettingsStore files;
};

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class SettingsWriteFault : public ::testing::Test {
 protected:
  SettingsWriteFault() {
    software = fs::path(::testing::TempDir()) / ("zerka-settings-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(software);
    fs::create_directories(software);
  }
  ~SettingsWriteFault() override { fs::remove_all(software); }

  fs::path SettingsFile() const { return software / "Velmarin" / "Zerka 2 Remote 2.ini"; }
  // Files in the settings folder besides the settings file itself (left-over temporaries).
  std::size_t StrayFiles() const {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(software / "Velmarin")) {
      if (entry.path() != SettingsFile()) ++count;
    }
    return count;
  }

  // Runs the monitor on the settings files, fills in the fields and applies them; returns the
  // texts of the error boxes that came up.
  std::vector<std::string> Apply(const std::string& host, const std::string& password) {
    FileBackedPlatform platform(software);
    std::vector<std::string> errors;
    {
      TApplication application;
      application.ShowMainForm = false;
      auto* form = new TZerka2Remote2Config(&application);
      form->Einstellungen1Click(nullptr);
      form->ProxyHost->SetText(host);
      form->httpPasswort->SetText(password);
      platform.Loop.SendWindowMessage(form->BitBtn5->Handle(), msg::Command, control_notify::Clicked, 0);
      for (const auto& box : platform.Modal.MessageBoxes) errors.push_back(box.Text);
    }
    return errors;
  }

  // Runs the action in a child process and returns its exit status (-1 when it did not exit).
  template <class Action>
  static int InChild(Action&& action) {
    const pid_t child = ::fork();
    if (child == 0) {
      const int status = action();
      ::_exit(status);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path software;
};

TEST_F(SettingsWriteFault, AFullDiskDuringApplyKeepsTheOldFileAndReports) {
  ASSERT_TRUE(Apply("proxy.example", "alt").empty());
  const std::string before = ReadWhole(SettingsFile());
  ASSERT_NE(before.find("proxy.example"), std::string::npos);

  // A file size limit stands for the full disk: writes beyond it fail with EFBIG.
  const std::string longPassword(4096, 'p');
  const int status = InChild([&] {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = before.size() + 16;
    ::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
    const auto errors = Apply("neu.example", longPassword);
    if (errors.size() != 1) return 11;
    return errors[0] == "Fehler beim Setzen der Daten für 'HTTP Passwort'"_l1 ? 0 : 12;
  });
  EXPECT_EQ(status, 0) << "10: no limit, 11: not one error box, 12: another text";

  // Every value before the password fitted and was stored; the file is whole either way.
  const std::string after = ReadWhole(SettingsFile());
  EXPECT_NE(after.find("neu.example"), std::string::npos) << after;
  EXPECT_EQ(after.find(longPassword), std::string::npos);
  EXPECT_EQ(StrayFiles(), 0u);
  EXPECT_TRUE(Apply("wieder.example", "ok").empty());
  EXPECT_NE(ReadWhole(SettingsFile()).find("wieder.example"), std::string::npos);
}

TEST_F(SettingsWriteFault, AWriterKilledMidWriteLeavesTheOldOrTheNewFileWhole) {
  const fs::path file = software / "Velmarin" / "big.ini";
  fs::create_directories(file.parent_path());
  const std::string oldContent(4 << 20, 'a');
  const std::string newContent(4 << 20, 'b');
  ASSERT_TRUE(qt::WriteFileAtomically(file, oldContent, 0600));

  for (int round = 0; round < 5; ++round) {
    const pid_t child = ::fork();
    if (child == 0) {
      for (;;) {
        qt::WriteFileAtomically(file, newContent, 0600);
        qt::WriteFileAtomically(file, oldContent, 0600);
      }
    }
    // Kill it while a temporary file is being written, at a different depth each round.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    bool midWrite = false;
    while (!midWrite && std::chrono::steady_clock::now() < deadline) {
      for (const auto& entry : fs::directory_iterator(file.parent_path())) {
        std::error_code error;
        const auto size = fs::file_size(entry.path(), error);
        if (entry.path() != file && !error && size > static_cast<std::uintmax_t>(round) * (700 << 10)) {
          midWrite = true;
        }
      }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(midWrite) << "round " << round << ": never saw the writer at work";
    const std::string now = ReadWhole(file);
    EXPECT_TRUE(now == oldContent || now == newContent) << "round " << round << ": " << now.size() << " bytes";
    // A killed writer may leave its temporary file; it is never taken for the settings.
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
      if (entry.path() != file) fs::remove(entry.path());
    }
  }
}

TEST_F(SettingsWriteFault, AKeyThatCannotBeMadeReportsTheGermanError) {
  // A plain file where the folder for "Velmarin" belongs: no key can be made below it.
  std::ofstream(software / "Velmarin") << "kein Ordner";
  const auto errors = Apply("proxy.example", "geheim");
  ASSERT_EQ(errors.size(), 1u);
  // The error box ends the text with a full stop.
  EXPECT_EQ(errors[0], "Erzeugung von Schlüssel Zerka 2 Remote 2 mißlungen."_l1);
  EXPECT_EQ(ReadWhole(software / "Velmarin"), "kein Ordner");
}

}  // namespace
}  // namespace zerka
