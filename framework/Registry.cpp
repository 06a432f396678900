#include "framework/Registry.h"

#include <cstring>
#include <vector>

#include "base/Latin1.h"

namespace zerka {
namespace {

ISettingsPort& Store() { return Platform().Settings(); }

// Closes a subkey when the section operation ends, also by an exception.
class TSubkey {
 public:
  TSubkey(TSettingsKey parent, const std::string& name) {
    opened_ = Store().OpenKey(parent, name, false, key_) == TSettingsResult::Ok;
  }
  ~TSubkey() {
    if (opened_) Store().CloseKey(key_);
  }
  TSubkey(const TSubkey&) = delete;
  TSubkey& operator=(const TSubkey&) = delete;
  bool Opened() const { return opened_; }
  TSettingsKey Key() const { return key_; }

 private:
  TSettingsKey key_ = 0;
  bool opened_ = false;
};

}  // namespace

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::OpenKey(const std::string& key, bool CanCreate) {
  TSettingsKey opened = 0;
  if (Store().OpenKey(Base(), key, CanCreate, opened) != TSettingsResult::Ok) return false;
  CloseKey();
  current_ = opened;
  open_ = true;
  return true;
}

void TRegistry::CloseKey() {
  if (!open_) return;
  Store().CloseKey(current_);
  open_ = false;
  current_ = 0;
}

bool TRegistry::KeyExists(const std::string& key) {
  TSubkey subkey(Base(), key);
  return subkey.Opened();
}

void TRegistry::CreateKey(const std::string& key) {
  TSettingsKey created = 0;
  if (Store().OpenKey(Base(), key, true, created) != TSettingsResult::Ok) {
    throw ERegistryException("Erzeugung von Schlüssel "_l1 + key + " mißlungen"_l1);
  }
  Store().CloseKey(created);
}

bool TRegistry::ValueExists(const std::string& name) {
  TValueType type = TValueType::None;
  std::vector<std::uint8_t> data;
  return Store().QueryValue(Base(), name, type, data) == TSettingsResult::Ok;
}

std::string TRegistry::ReadString(const std::string& name) { return ReadStringFrom(Base(), name); }

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  WriteStringTo(Base(), name, value);
}

std::string TRegistry::ReadStringFrom(TSettingsKey key, const std::string& name) {
  TValueType type = TValueType::None;
  std::vector<std::uint8_t> data;
  switch (Store().QueryValue(key, name, type, data)) {
    case TSettingsResult::NotFound:
      return {};
    case TSettingsResult::Failed:
      throw ERegistryException("Fehler beim Holen der Daten für '"_l1 + name + "'");
    case TSettingsResult::Ok:
      break;
  }
  if (data.empty()) return {};
  if (type != TValueType::String && type != TValueType::ExpandString) {
    throw ERegistryException("Ungültiger Datentyp für '"_l1 + name + "'");
  }
  const auto* bytes = reinterpret_cast<const char*>(data.data());
  return std::string(bytes, strnlen(bytes, data.size()));
}

void TRegistry::WriteStringTo(TSettingsKey key, const std::string& name, const std::string& value) {
  std::vector<std::uint8_t> data(value.begin(), value.end());
  data.push_back(0);
  if (Store().SetValue(key, name, TValueType::String, data) != TSettingsResult::Ok) {
    throw ERegistryException("Fehler beim Setzen der Daten für '"_l1 + name + "'");
  }
}

std::optional<std::string> TRegistry::ReadSectionValue(const std::string& section, const std::string& ident) {
  TSubkey subkey(Base(), section);
  if (!subkey.Opened()) return std::nullopt;
  TValueType type = TValueType::None;
  std::vector<std::uint8_t> data;
  if (Store().QueryValue(subkey.Key(), ident, type, data) == TSettingsResult::NotFound) return std::nullopt;
  return ReadStringFrom(subkey.Key(), ident);
}

std::string TRegistry::ReadString(const std::string& section, const std::string& ident,
                                  const std::string& fallback) {
  return ReadSectionValue(section, ident).value_or(fallback);
}

int TRegistry::ReadInteger(const std::string& section, const std::string& ident, int fallback) {
  const auto text = ReadSectionValue(section, ident);
  return text ? StrToIntDef(*text, fallback) : fallback;
}

bool TRegistry::ReadBool(const std::string& section, const std::string& ident, bool fallback) {
  return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TRegistry::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  if (!KeyExists(section)) CreateKey(section);
  TSubkey subkey(Base(), section);
  if (!subkey.Opened()) throw ERegistryException("Fehler beim Setzen der Daten für '"_l1 + ident + "'");
  WriteStringTo(subkey.Key(), ident, value);
}

void TRegistry::WriteInteger(const std::string& section, const std::string& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

void TRegistry::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

}  // namespace zerka
