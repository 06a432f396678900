#include "platform/qt/FileSettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "base/Latin1.h"
#include "platform/qt/SettingsFile.h"

namespace zerka::qt {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kFolderMode = 0700;
constexpr unsigned kFileMode = 0600;
constexpr std::size_t kMostFileBytes = 1 << 20;
constexpr std::string_view kFileSuffix = ".ini";
// mkstemp's six letters and digits after the temporary file's name.
constexpr std::size_t kTempLetters = 6;
// A temporary file younger than this may belong to a writer that has not locked it yet.
constexpr std::time_t kLeftoverAgeSeconds = 10;

// A key name that can be a file or folder name of its own.
bool UsableName(const std::string& name) {
  return name != "." && name != ".." && name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

struct TFoundEntry {
  std::string Name;  // the key's name as on disk, without the suffix
  fs::path Path;
};

// The entry of `folder` whose name, decoded, is `name` and the suffix, without regard to case.
std::optional<TFoundEntry> FindEntry(const fs::path& folder, const std::string& name, std::string_view suffix,
                                     bool wantFolder) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string entry = DecodeFileText(it->path().filename().string());
    if (entry.size() < suffix.size() || !SameSettingsName(entry.substr(entry.size() - suffix.size()), suffix)) {
      continue;
    }
    const std::string stem = entry.substr(0, entry.size() - suffix.size());
    if (!SameSettingsName(stem, name)) continue;
    std::error_code statError;
    const bool isFolder = fs::is_directory(it->path(), statError);
    if (isFolder == wantFolder) return TFoundEntry{stem, it->path()};
  }
  return std::nullopt;
}

fs::path EntryPath(const fs::path& folder, const std::string& latin1Name, std::string_view suffix) {
  return folder / (Latin1ToUtf8(latin1Name) + std::string(suffix));
}

enum class TReadResult { Ok, Missing, Failed };

TReadResult ReadFileBounded(const fs::path& file, std::string& content) {
  content.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? TReadResult::Missing : TReadResult::Failed;
  char buffer[4096];
  TReadResult result = TReadResult::Ok;
  while (content.size() < kMostFileBytes) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) result = TReadResult::Failed;
    if (got <= 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  // A file beyond the bound is read up to it; whatever lines that holds still count.
  if (content.size() > kMostFileBytes) content.resize(kMostFileBytes);
  return result;
}

bool WriteAll(int fd, const std::string& content) {
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t put = ::write(fd, content.data() + written, content.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    written += static_cast<std::size_t>(put);
  }
  return true;
}

// The name a writer of `file` gives its temporary file, with mkstemp's letters at the end.
std::string TempNamePrefix(const fs::path& file) { return "." + file.filename().string() + "."; }

bool IsTempNameOf(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kTempLetters || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Removes temporary files of `file` that killed writers left behind. A live writer holds a
// lock on its temporary file until it has renamed it, and one that has just made it is
// younger than kLeftoverAgeSeconds; either is left alone.
void RemoveLeftovers(const fs::path& file) {
  const std::string prefix = TempNamePrefix(file);
  std::error_code error;
  for (fs::directory_iterator it(file.parent_path(), error), end; !error && it != end; it.increment(error)) {
    if (!IsTempNameOf(it->path().filename().string(), prefix)) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat status {};
    const bool stale = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::getuid() &&
                       status.st_mtime + kLeftoverAgeSeconds < std::time(nullptr) &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

bool MakeFolder(const fs::path& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  if (!fs::create_directories(folder, error) && !fs::is_directory(folder, error)) return false;
  return ::chmod(folder.c_str(), kFolderMode) == 0;
}

}  // namespace

fs::path UserConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd* user = ::getpwuid(::getuid());
    home = user && user->pw_dir ? user->pw_dir : "/";
  }
  return fs::path(home) / ".config";
}

bool WriteFileAtomically(const fs::path& file, const std::string& content, unsigned mode) {
  std::string pattern = (file.parent_path() / (TempNamePrefix(file) + std::string(kTempLetters, 'X'))).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  // The lock marks the temporary file as in use until it has its final name.
  bool ok = ::flock(fd, LOCK_EX) == 0 && ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
  if (ok) ok = ::rename(pattern.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(pattern.c_str());
  ::close(fd);
  if (!ok) return false;
  RemoveLeftovers(file);
  // The rename itself lasts once the folder is synced.
  if (const int folder = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

TFileSettingsStore::TFileSettingsStore(fs::path softwareFolder)
    : software_(softwareFolder.empty() ? UserConfigFolder() : std::move(softwareFolder)) {}

TSettingsResult TFileSettingsStore::Resolve(const TKeyPlace& from, const std::string& path, bool create,
                                            TKeyPlace& place) {
  const TSettingsResult refused = create ? TSettingsResult::Failed : TSettingsResult::NotFound;
  std::vector<std::string> parts = SplitKeyPath(path);
  place = from;
  if (place.IsRoot && !parts.empty()) {
    // Only "Software" exists below the root.
    if (!SameSettingsName(parts.front(), "Software")) return refused;
    parts.erase(parts.begin());
    place.IsRoot = false;
  }
  for (const std::string& part : parts) {
    if (place.Parts.size() >= 2 || !UsableName(part)) return refused;
    const bool isFolder = place.Parts.empty();
    const fs::path within = isFolder ? software_ : place.Folder;
    const std::string_view suffix = isFolder ? "" : kFileSuffix;
    TFoundEntry entry;
    if (auto found = FindEntry(within, part, suffix, isFolder)) {
      entry = *found;
    } else if (!create) {
      return TSettingsResult::NotFound;
    } else {
      entry = TFoundEntry{part, EntryPath(within, part, suffix)};
      const bool made = isFolder ? MakeFolder(software_) && MakeFolder(entry.Path)
                                 : WriteFileAtomically(entry.Path, FormatSettingsFile({}, part), kFileMode);
      if (!made) return TSettingsResult::Failed;
    }
    place.Parts.push_back(entry.Name);
    (isFolder ? place.Folder : place.File) = entry.Path;
  }
  return TSettingsResult::Ok;
}

TSettingsResult TFileSettingsStore::OpenKey(TSettingsKey parent, const std::string& path, bool create,
                                            TSettingsKey& key) {
  TKeyPlace from;
  if (parent == 0) {
    from.IsRoot = true;
  } else if (auto found = open_.find(parent); found != open_.end()) {
    from = found->second;
  } else {
    return TSettingsResult::Failed;
  }
  TKeyPlace place;
  const TSettingsResult result = Resolve(from, path, create, place);
  if (result != TSettingsResult::Ok) return result;
  key = nextKey_++;
  open_.emplace(key, std::move(place));
  return TSettingsResult::Ok;
}

TSettingsResult TFileSettingsStore::QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                                               std::vector<std::uint8_t>& data) {
  const auto found = open_.find(key);
  if (key != 0 && found == open_.end()) return TSettingsResult::Failed;
  if (key == 0 || found->second.Parts.size() != 2) return TSettingsResult::NotFound;
  std::string content;
  switch (ReadFileBounded(found->second.File, content)) {
    case TReadResult::Missing: return TSettingsResult::NotFound;
    case TReadResult::Failed: return TSettingsResult::Failed;
    case TReadResult::Ok: break;
  }
  const TSettingsValues values = ParseSettingsFile(content, found->second.Parts[1]);
  const std::string* text = FindSettingsValue(values, name);
  if (!text) return TSettingsResult::NotFound;
  type = TValueType::String;
  data.assign(text->begin(), text->end());
  data.push_back(0);
  return TSettingsResult::Ok;
}

TSettingsResult TFileSettingsStore::SetValue(TSettingsKey key, const std::string& name, TValueType type,
                                             const std::vector<std::uint8_t>& data) {
  const auto found = open_.find(key);
  if (found == open_.end() || found->second.Parts.size() != 2) return TSettingsResult::Failed;
  if (type != TValueType::String && type != TValueType::ExpandString) return TSettingsResult::Failed;
  const fs::path file = found->second.File;
  std::string content;
  // A file that cannot be read is not replaced by one holding only this value.
  if (ReadFileBounded(file, content) == TReadResult::Failed) return TSettingsResult::Failed;
  const std::string& section = found->second.Parts[1];
  TSettingsValues values = ParseSettingsFile(content, section);
  const auto* bytes = reinterpret_cast<const char*>(data.data());
  const std::string text(bytes, strnlen(bytes, data.size()));
  if (!SetSettingsValue(values, name, text)) return TSettingsResult::Failed;
  return WriteFileAtomically(file, FormatSettingsFile(values, section), kFileMode) ? TSettingsResult::Ok
                                                                                  : TSettingsResult::Failed;
}

}  // namespace zerka::qt
