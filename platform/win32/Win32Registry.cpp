// Settings port (advapi32):
//  [x] key 0 is HKEY_CURRENT_USER; RegCreateKeyExW to create, RegOpenKeyExW to open
//  [x] RegQueryValueExW with the value's type and raw data; strings as the program's bytes
//  [x] RegSetValueExW with the caller's type and data (a REG_SZ carries its NUL); strings
//      stored as UTF-16, one character per byte
//  [x] names and strings converted by Win32Text, so that stored values mean the same on any
//      code page; characters that earlier, code-page-bound versions stored read as they did
#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

HKEY ToHkey(TSettingsKey key) { return key ? reinterpret_cast<HKEY>(key) : HKEY_CURRENT_USER; }

TSettingsResult ResultOf(LONG status) {
  if (status == ERROR_SUCCESS) return TSettingsResult::Ok;
  if (status == ERROR_FILE_NOT_FOUND) return TSettingsResult::NotFound;
  return TSettingsResult::Failed;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

unsigned char StoredByteOf(wchar_t unit) {
  unsigned char byte = '?';
  if (ByteOf(unit, byte)) return byte;
  // Versions that went through the ANSI functions stored each byte as the character the
  // system's code page gave it (an "ü" as "ь" on code page 1251); that page gives it back.
  char ansi[8] = {};
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &unit, 1, ansi, sizeof ansi, nullptr, &lossy);
  return length == 1 && !lossy ? static_cast<unsigned char>(ansi[0]) : static_cast<unsigned char>('?');
}

TSettingsResult TWin32Registry::OpenKey(TSettingsKey parent, const std::string& path, bool create,
                                        TSettingsKey& key) {
  // A leading backslash names the same key as none.
  const std::wstring relative = Wide(std::string_view(path).substr(path.starts_with('\\') ? 1 : 0));
  HKEY opened = nullptr;
  const LONG status = create ? RegCreateKeyExW(ToHkey(parent), relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &opened, nullptr)
                             : RegOpenKeyExW(ToHkey(parent), relative.c_str(), 0, KEY_ALL_ACCESS, &opened);
  if (status == ERROR_SUCCESS) key = reinterpret_cast<TSettingsKey>(opened);
  return ResultOf(status);
}

void TWin32Registry::CloseKey(TSettingsKey key) {
  if (key) RegCloseKey(ToHkey(key));
}

TSettingsResult TWin32Registry::QueryValue(TSettingsKey key, const std::string& name, TValueType& type,
                                           std::vector<std::uint8_t>& data) {
  const std::wstring wideName = Wide(name);
  DWORD valueType = REG_NONE;
  DWORD size = 0;
  LONG status = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &valueType, nullptr, &size);
  if (status != ERROR_SUCCESS) return ResultOf(status);
  std::vector<std::uint8_t> raw(size);
  status = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &valueType, raw.data(), &size);
  // A value that grew between the two calls gives ERROR_MORE_DATA: a failed read.
  if (status != ERROR_SUCCESS) return TSettingsResult::Failed;
  raw.resize(size);
  type = static_cast<TValueType>(valueType);
  if (!IsStringType(valueType)) {
    data = std::move(raw);
    return TSettingsResult::Ok;
  }
  // An odd last byte (written by a careless tool) is no character.
  data.clear();
  for (std::size_t offset = 0; offset + 1 < raw.size(); offset += 2) {
    data.push_back(StoredByteOf(static_cast<wchar_t>(raw[offset] | (raw[offset + 1] << 8))));
  }
  return TSettingsResult::Ok;
}

TSettingsResult TWin32Registry::SetValue(TSettingsKey key, const std::string& name, TValueType type,
                                         const std::vector<std::uint8_t>& data) {
  const std::wstring wideName = Wide(name);
  if (!IsStringType(static_cast<DWORD>(type))) {
    return ResultOf(RegSetValueExW(ToHkey(key), wideName.c_str(), 0, static_cast<DWORD>(type), data.data(),
                                   static_cast<DWORD>(data.size())));
  }
  std::vector<std::uint8_t> wide;
  wide.reserve(data.size() * 2);
  for (const std::uint8_t byte : data) {
    const wchar_t unit = WideOf(byte);
    wide.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    wide.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return ResultOf(RegSetValueExW(ToHkey(key), wideName.c_str(), 0, static_cast<DWORD>(type), wide.data(),
                                 static_cast<DWORD>(wide.size())));
}

}  // namespace zerka::win32
