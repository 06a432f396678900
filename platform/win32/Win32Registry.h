#pragma once
// The settings store as the current user's registry.

#include "framework/Platform.h"

namespace zerka::win32 {

// The byte a stored string's character stands for (see Win32Registry.cpp).
unsigned char StoredByteOf(wchar_t unit);

class TWin32Registry final : public ISettingsPort {
 public:
  TSettingsResult OpenKey(TSettingsKey parent, const std::string& path, bool create, TSettingsKey& key) override;
  void CloseKey(TSettingsKey key) override;
  TSettingsResult QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                             std::vector<std::uint8_t>& data) override;
  TSettingsResult SetValue(TSettingsKey key, const std::string& name, TValueType type,
                           const std::vector<std::uint8_t>& data) override;
};

}  // namespace zerka::win32
