// The current user's registry through the settings port and the framework's TRegistry,
// in a test-only key that is deleted afterwards.
#include <string>
#include <vector>

#include "base/Latin1.h"
#include "framework/Registry.h"
#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

constexpr const char* kTestKey = "Software\\ZerkaPlatformWin32Test";
constexpr const char* kSection = "Zerka 2 Remote 2";

class RegistryTest : public Win32PlatformTest {
 protected:
  void SetUp() override {
    Win32PlatformTest::SetUp();
    DeleteTestKey();
  }
  void TearDown() override {
    DeleteTestKey();
    Win32PlatformTest::TearDown();
  }

  static void DeleteTestKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\" + kSection).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
  }

  static bool TestKeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
};

TEST_F(RegistryTest, StringRoundTripKeepsLatin1BytesAndStoresTheNul) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  const std::string value = "Größe Übernehmen"_l1;
  registry.WriteString("Proxy Host", value);
  EXPECT_EQ(registry.ReadString("Proxy Host"), value);

  // What the system itself stored: REG_SZ in UTF-16 with the terminating NUL, whatever the
  // code page.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0;
  wchar_t stored[64] = {};
  DWORD size = sizeof stored;
  ASSERT_EQ(RegQueryValueExW(key, L"Proxy Host", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (value.size() + 1) * sizeof(wchar_t));
  EXPECT_EQ(std::wstring(stored), L"Gr\u00F6\u00DFe \u00DCbernehmen") << "code page " << GetACP();
}

TEST_F(RegistryTest, AValueAnEarlierVersionStoredThroughTheCodePageReadsAsItDid) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  const std::string password = "Kühl"_l1;
  ASSERT_EQ(RegSetValueExA(key, "Proxy Password", 0, REG_SZ, reinterpret_cast<const BYTE*>(password.c_str()),
                           static_cast<DWORD>(password.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(registry.ReadString("Proxy Password"), password) << "code page " << GetACP();
}

TEST_F(RegistryTest, SubkeyIsMadeOnlyByAWrite) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  EXPECT_EQ(registry.ReadInteger(kSection, "Proxy Port", 4295), 4295);
  EXPECT_FALSE(TestKeyExists(std::string(kTestKey) + "\\" + kSection));
  registry.WriteInteger(kSection, "Proxy Port", 4296);
  EXPECT_TRUE(TestKeyExists(std::string(kTestKey) + "\\" + kSection));
  EXPECT_EQ(registry.ReadInteger(kSection, "Proxy Port", 4295), 4296);
  EXPECT_FALSE(registry.KeyExists("Fehlt"));
}

TEST_F(RegistryTest, DwordValueGivesTheDataTypeError) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(kTestKey, true));
  TSettingsKey key = 0;
  ASSERT_EQ(P().Settings().OpenKey(0, kTestKey, false, key), TSettingsResult::Ok);
  const std::vector<std::uint8_t> port{0xC7, 0x10, 0x00, 0x00};
  ASSERT_EQ(P().Settings().SetValue(key, "Proxy Port", TValueType::DWord, port), TSettingsResult::Ok);

  TValueType type = TValueType::None;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(P().Settings().QueryValue(key, "Proxy Port", type, data), TSettingsResult::Ok);
  EXPECT_EQ(type, TValueType::DWord);
  EXPECT_EQ(data, port);
  EXPECT_EQ(P().Settings().QueryValue(key, "Fehlt", type, data), TSettingsResult::NotFound);
  P().Settings().CloseKey(key);

  try {
    registry.ReadString("Proxy Port");
    FAIL() << "a REG_DWORD read as a string";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Ungültiger Datentyp für 'Proxy Port'"_l1);
  }
}

TEST_F(RegistryTest, OpeningAMissingKeyWithoutCreateFails) {
  TSettingsKey key = 0;
  EXPECT_EQ(P().Settings().OpenKey(0, std::string(kTestKey) + "\\Fehlt", false, key), TSettingsResult::NotFound);
  TRegistry registry;
  EXPECT_FALSE(registry.OpenKey(std::string(kTestKey) + "\\Fehlt", false));
}

}  // namespace
}  // namespace zerka
