#pragma once
// The current user's settings store with the registry's key/subkey/value semantics.
// Values are read as text: string and expandable-string values as stored (unexpanded, up to
// the first NUL), a value of any other type is an error when it holds data and empty when it
// holds none. Writing stores a string value with its terminating NUL.
//
// The section forms work on a subkey of the open key: a read opens the subkey without
// creating it and yields the default when the subkey or the value is missing; a write creates
// the subkey when it is missing. Each opens and closes the subkey around one value.

#include <optional>
#include <string>

#include "base/Exception.h"
#include "framework/Platform.h"

namespace zerka {

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Opens a key below the current user's root; with CanCreate it is made when missing.
  bool OpenKey(const std::string& key, bool CanCreate);
  void CloseKey();
  bool KeyExists(const std::string& key);
  // Raises "Erzeugung von Schlüssel <key> mißlungen" when the key cannot be made.
  void CreateKey(const std::string& key);

  bool ValueExists(const std::string& name);
  // A missing value reads as empty. Raises "Ungültiger Datentyp für '<name>'" or
  // "Fehler beim Holen der Daten für '<name>'".
  std::string ReadString(const std::string& name);
  // Raises "Fehler beim Setzen der Daten für '<name>'".
  void WriteString(const std::string& name, const std::string& value);

  std::string ReadString(const std::string& section, const std::string& ident, const std::string& fallback);
  // The stored text as a whole number; missing or not a number gives the fallback.
  int ReadInteger(const std::string& section, const std::string& ident, int fallback);
  // ReadInteger with 0 or 1 as fallback; any other number than 0 is true.
  bool ReadBool(const std::string& section, const std::string& ident, bool fallback);
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, int value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);

 private:
  // The open key, or the root when none is open.
  TSettingsKey Base() const { return open_ ? current_ : 0; }
  // The value in a subkey; nothing when the subkey or the value is missing.
  std::optional<std::string> ReadSectionValue(const std::string& section, const std::string& ident);
  static std::string ReadStringFrom(TSettingsKey key, const std::string& name);
  static void WriteStringTo(TSettingsKey key, const std::string& name, const std::string& value);

  bool open_ = false;
  TSettingsKey current_ = 0;
};

}  // namespace zerka
