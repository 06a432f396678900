#include "platform/headless/HeadlessSettings.h"

#include <cctype>

namespace zerka::headless {
namespace {

std::string Fold(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

struct THeadlessSettings::TKey {
  std::map<std::string, std::unique_ptr<TKey>> Subkeys;
  std::map<std::string, TStoredValue> Values;
};

THeadlessSettings::THeadlessSettings() : root_(std::make_unique<TKey>()) {}
THeadlessSettings::~THeadlessSettings() = default;

THeadlessSettings::TKey* THeadlessSettings::Find(TKey* from, const std::string& path, bool create) const {
  TKey* key = from;
  for (const std::string& part : SplitKeyPath(path)) {
    const auto found = key->Subkeys.find(Fold(part));
    if (found != key->Subkeys.end()) {
      key = found->second.get();
    } else if (create) {
      key = (key->Subkeys[Fold(part)] = std::make_unique<TKey>()).get();
    } else {
      return nullptr;
    }
  }
  return key;
}

THeadlessSettings::TKey* THeadlessSettings::Resolve(TSettingsKey key) const {
  if (key == 0) return root_.get();
  const auto found = handles_.find(key);
  return found == handles_.end() ? nullptr : found->second;
}

TSettingsResult THeadlessSettings::OpenKey(TSettingsKey parent, const std::string& path, bool create,
                                           TSettingsKey& key) {
  TKey* from = Resolve(parent);
  if (!from) return TSettingsResult::Failed;
  TKey* found = Find(from, path, false);
  if (!found && create) {
    if (RefuseNewKeys) return TSettingsResult::Failed;
    found = Find(from, path, true);
  }
  if (!found) return TSettingsResult::NotFound;
  key = nextHandle_++;
  handles_[key] = found;
  return TSettingsResult::Ok;
}

TSettingsResult THeadlessSettings::QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                                              std::vector<std::uint8_t>& data) {
  TKey* held = Resolve(key);
  if (!held) return TSettingsResult::Failed;
  const auto found = held->Values.find(Fold(name));
  if (found == held->Values.end()) return TSettingsResult::NotFound;
  if (FailingReads.count(name)) return TSettingsResult::Failed;
  type = found->second.Type;
  data = found->second.Data;
  return TSettingsResult::Ok;
}

TSettingsResult THeadlessSettings::SetValue(TSettingsKey key, const std::string& name, TValueType type,
                                            const std::vector<std::uint8_t>& data) {
  TKey* held = Resolve(key);
  if (!held || RefuseWrites) return TSettingsResult::Failed;
  held->Values[Fold(name)] = TStoredValue{type, data};
  return TSettingsResult::Ok;
}

void THeadlessSettings::Put(const std::string& path, const std::string& name, TValueType type,
                            std::vector<std::uint8_t> data) {
  Find(root_.get(), path, true)->Values[Fold(name)] = TStoredValue{type, std::move(data)};
}

void THeadlessSettings::PutString(const std::string& path, const std::string& name, const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(path, name, TValueType::String, std::move(data));
}

std::optional<TStoredValue> THeadlessSettings::Get(const std::string& path, const std::string& name) const {
  const TKey* key = Find(root_.get(), path, false);
  if (!key) return std::nullopt;
  const auto found = key->Values.find(Fold(name));
  if (found == key->Values.end()) return std::nullopt;
  return found->second;
}

bool THeadlessSettings::KeyExists(const std::string& path) const { return Find(root_.get(), path, false) != nullptr; }

}  // namespace zerka::headless
