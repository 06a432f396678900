#pragma once
// Headless settings store: a tree of keys with typed values in memory, names compared without
// regard to case as the registry does. Tests can put values of any type, read back what was
// written and make the store refuse reads, writes or new keys.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "framework/Platform.h"

namespace zerka::headless {

struct TStoredValue {
  TValueType Type = TValueType::None;
  std::vector<std::uint8_t> Data;
};

class THeadlessSettings : public ISettingsPort {
 public:
  THeadlessSettings();
  ~THeadlessSettings() override;

  TSettingsResult OpenKey(TSettingsKey parent, const std::string& path, bool create, TSettingsKey& key) override;
  void CloseKey(TSettingsKey key) override { handles_.erase(key); }
  TSettingsResult QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                             std::vector<std::uint8_t>& data) override;
  TSettingsResult SetValue(TSettingsKey key, const std::string& name, TValueType type,
                           const std::vector<std::uint8_t>& data) override;

  // --- for tests; paths below the current user's root, parts separated by "\"
  void Put(const std::string& path, const std::string& name, TValueType type, std::vector<std::uint8_t> data);
  // A string value with its terminating NUL.
  void PutString(const std::string& path, const std::string& name, const std::string& text);
  std::optional<TStoredValue> Get(const std::string& path, const std::string& name) const;
  bool KeyExists(const std::string& path) const;
  std::size_t OpenHandles() const { return handles_.size(); }
  // Names of values whose reads fail.
  std::set<std::string> FailingReads;
  bool RefuseWrites = false;
  bool RefuseNewKeys = false;

 private:
  struct TKey;
  TKey* Find(TKey* from, const std::string& path, bool create) const;
  TKey* Resolve(TSettingsKey key) const;

  std::unique_ptr<TKey> root_;
  std::map<TSettingsKey, TKey*> handles_;
  TSettingsKey nextHandle_ = 1;
};

}  // namespace zerka::headless
