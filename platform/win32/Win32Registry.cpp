// Settings port (advapi32):
//  [x] key 0 is HKEY_CURRENT_USER; RegCreateKeyExA to create, RegOpenKeyExA to open
//  [x] RegQueryValueExA with the value's type and raw data
//  [x] RegSetValueExA with the caller's type and data (a REG_SZ carries its NUL)
#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace zerka::win32 {
namespace {

HKEY ToHkey(TSettingsKey key) { return key ? reinterpret_cast<HKEY>(key) : HKEY_CURRENT_USER; }

TSettingsResult ResultOf(LONG status) {
  if (status == ERROR_SUCCESS) return TSettingsResult::Ok;
  if (status == ERROR_FILE_NOT_FOUND) return TSettingsResult::NotFound;
  return TSettingsResult::Failed;
}

}  // namespace

TSettingsResult TWin32Registry::OpenKey(TSettingsKey parent, const std::string& path, bool create,
                                        TSettingsKey& key) {
  // A leading backslash names the same key as none.
  const char* relative = path.c_str() + (path.starts_with('\\') ? 1 : 0);
  HKEY opened = nullptr;
  const LONG status = create ? RegCreateKeyExA(ToHkey(parent), relative, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &opened, nullptr)
                             : RegOpenKeyExA(ToHkey(parent), relative, 0, KEY_ALL_ACCESS, &opened);
  if (status == ERROR_SUCCESS) key = reinterpret_cast<TSettingsKey>(opened);
  return ResultOf(status);
}

void TWin32Registry::CloseKey(TSettingsKey key) {
  if (key) RegCloseKey(ToHkey(key));
}

TSettingsResult TWin32Registry::QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                                           std::vector<std::uint8_t>& data) {
  DWORD valueType = REG_NONE;
  DWORD size = 0;
  LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, nullptr, &size);
  if (status != ERROR_SUCCESS) return ResultOf(status);
  data.resize(size);
  status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data.data(), &size);
  // A value that grew between the two calls gives ERROR_MORE_DATA: a failed read.
  if (status != ERROR_SUCCESS) return TSettingsResult::Failed;
  data.resize(size);
  type = static_cast<TValueType>(valueType);
  return TSettingsResult::Ok;
}

TSettingsResult TWin32Registry::SetValue(TSettingsKey key, const std::string& name, TValueType type,
                                         const std::vector<std::uint8_t>& data) {
  return ResultOf(RegSetValueExA(ToHkey(key), name.c_str(), 0, static_cast<DWORD>(type), data.data(),
                                 static_cast<DWORD>(data.size())));
}

}  // namespace zerka::win32
