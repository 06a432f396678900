#include "base/Latin1.h"
#include "framework/Registry.h"
#include "tests/framework/HeadlessTest.h"

namespace zerka::testing {
namespace {

const std::string kKey = "Software\\Velmarin";
const std::string kSection = "Zerka 2 Remote 2";
const std::string kPath = kKey + "\\" + kSection;

class RegistryTest : public HeadlessTest {
 protected:
  TRegistry reg;
  std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const ERegistryException& e) {
      return e.Message();
    }
    return "no error";
  }
};

TEST_F(RegistryTest, OpeningCreatesTheKeyButReadingNeverCreatesTheSubkey) {
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  EXPECT_TRUE(platform.Store.KeyExists(kKey));
  EXPECT_EQ(reg.ReadString(kSection, "Proxy Host", "127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(reg.ReadInteger(kSection, "Proxy Port", 4295), 4295);
  EXPECT_FALSE(platform.Store.KeyExists(kPath));

  reg.WriteInteger(kSection, "Proxy Port", 4296);
  const auto stored = platform.Store.Get(kPath, "Proxy Port");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Type, TValueType::String);
  EXPECT_EQ(stored->Data, (std::vector<std::uint8_t>{'4', '2', '9', '6', 0}));
  reg.CloseKey();
  EXPECT_EQ(platform.Store.OpenHandles(), 0u);
}

TEST_F(RegistryTest, ReadsTextAsStoredAndNumbersWithTheirFallbacks) {
  platform.Store.PutString(kPath, "Proxy Host", "");
  platform.Store.PutString(kPath, "Proxy Port", "abc");
  platform.Store.PutString(kPath, "Aktiviert", "2");
  platform.Store.PutString(kPath, "Ballooninfo", "");
  platform.Store.Put(kPath, "HTTP User", TValueType::ExpandString, {'%', 'U', '%', 0});
  platform.Store.Put(kPath, "HTTP Passwort", TValueType::String, {'a', 0, 'b', 0});
  ASSERT_TRUE(reg.OpenKey(kKey, true));

  EXPECT_EQ(reg.ReadString(kSection, "Proxy Host", "127.0.0.1"), "");
  EXPECT_EQ(reg.ReadInteger(kSection, "Proxy Port", 4295), 4295);
  EXPECT_TRUE(reg.ReadBool(kSection, "Aktiviert", false));
  EXPECT_TRUE(reg.ReadBool(kSection, "Ballooninfo", true));
  EXPECT_EQ(reg.ReadString(kSection, "HTTP User", ""), "%U%");
  EXPECT_EQ(reg.ReadString(kSection, "HTTP Passwort", ""), "a");
  // Names are compared without regard to case.
  EXPECT_EQ(reg.ReadString(kSection, "proxy port", ""), "abc");
}

TEST_F(RegistryTest, AValueOfAnotherTypeIsAnErrorOnlyWhenItHoldsData) {
  platform.Store.Put(kPath, "Proxy Port", TValueType::DWord, {0xC7, 0x10, 0, 0});
  platform.Store.Put(kPath, "Abfrageinterval", TValueType::DWord, {});
  ASSERT_TRUE(reg.OpenKey(kKey, true));

  EXPECT_EQ(ErrorOf([&] { reg.ReadInteger(kSection, "Proxy Port", 4295); }),
            "Ungültiger Datentyp für 'Proxy Port'"_l1);
  EXPECT_EQ(reg.ReadString(kSection, "Abfrageinterval", "x"), "");
  EXPECT_EQ(reg.ReadInteger(kSection, "Abfrageinterval", 1000), 1000);
  EXPECT_EQ(platform.Store.OpenHandles(), 1u);
}

TEST_F(RegistryTest, RefusalsGiveTheGermanErrors) {
  platform.Store.PutString(kPath, "Proxy Host", "zerka");
  ASSERT_TRUE(reg.OpenKey(kKey, true));

  platform.Store.FailingReads = {"Proxy Host"};
  EXPECT_EQ(ErrorOf([&] { reg.ReadString(kSection, "Proxy Host", ""); }),
            "Fehler beim Holen der Daten für 'Proxy Host'"_l1);

  platform.Store.RefuseWrites = true;
  EXPECT_EQ(ErrorOf([&] { reg.WriteString(kSection, "Proxy Host", "x"); }),
            "Fehler beim Setzen der Daten für 'Proxy Host'"_l1);

  platform.Store.RefuseNewKeys = true;
  EXPECT_EQ(ErrorOf([&] { reg.WriteBool("Anderer", "Aktiviert", true); }),
            "Erzeugung von Schlüssel Anderer mißlungen"_l1);
  EXPECT_EQ(platform.Store.OpenHandles(), 1u);
}

}  // namespace
}  // namespace zerka::testing
