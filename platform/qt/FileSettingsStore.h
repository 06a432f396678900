#pragma once
// The current user's settings store as files below the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config), which stands for the key "Software":
//   Software\Velmarin                     the folder  <config>/Velmarin/
//   Software\Velmarin\Zerka 2 Remote 2    the file    <config>/Velmarin/Zerka 2 Remote 2.ini
// A key directly below "Software" is a folder and holds subkeys only; a key below such a
// folder is a file holding its values (see SettingsFile.h) and no subkeys. Names compare
// without regard to case. Every value is a string.
//
// A file is written whole on every change: to a temporary file beside it, synced, then
// renamed over it, so a reader sees the old or the new file and never half of one. A
// temporary file that a killed writer left goes at the next successful write. Files
// are the user's alone (0600), folders too (0700): they hold a password.

#include <filesystem>
#include <map>
#include <string>

#include "framework/Platform.h"

namespace zerka::qt {

class TFileSettingsStore : public ISettingsPort {
 public:
  // The folder that stands for "Software"; empty for the user's configuration folder.
  explicit TFileSettingsStore(std::filesystem::path softwareFolder = {});

  TSettingsResult OpenKey(TSettingsKey parent, const std::string& path, bool create, TSettingsKey& key) override;
  void CloseKey(TSettingsKey key) override { open_.erase(key); }
  TSettingsResult QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                             std::vector<std::uint8_t>& data) override;
  TSettingsResult SetValue(TSettingsKey key, const std::string& name, TValueType type,
                           const std::vector<std::uint8_t>& data) override;

  const std::filesystem::path& SoftwareFolder() const { return software_; }

 private:
  // A key as its place: the parts of its path below "Software" (at most two).
  struct TKeyPlace {
    std::vector<std::string> Parts;  // Latin-1 names, as found on disk where they exist
    std::filesystem::path Folder;    // from the first part on
    std::filesystem::path File;      // from the second part on
    bool IsRoot = false;             // the current user's root, above "Software"
  };

  TSettingsResult Resolve(const TKeyPlace& from, const std::string& path, bool create, TKeyPlace& place);

  std::filesystem::path software_;
  std::map<TSettingsKey, TKeyPlace> open_;
  TSettingsKey nextKey_ = 1;
};

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config (the password database's home when HOME is unset).
std::filesystem::path UserConfigFolder();

// Writes a file atomically with the given permissions; false when any step failed (the old
// file is then untouched).
bool WriteFileAtomically(const std::filesystem::path& file, const std::string& content, unsigned mode);

}  // namespace zerka::qt
