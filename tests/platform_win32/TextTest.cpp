// The program's 8-bit texts and Windows's UTF-16, by table: the same on every code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/Latin1.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

TEST(Win32Text, EveryByteHasOneCharacterAndComesBackFromIt) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const std::wstring wide = Wide(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(Narrow(wide), all);
  EXPECT_EQ(Wide("DFÜ gesperrt"_l1), L"DF\u00DC gesperrt");
  EXPECT_EQ(wide[0x80], L'\u20AC') << "the euro sign of Windows-1252";
  EXPECT_EQ(wide[0x9F], L'\u0178');
}

TEST(Win32Text, CharactersBeyondTheProgramsTextsBecomeOneQuestionMarkEach) {
  EXPECT_EQ(Narrow(L"\u0416a\U0001F600b"), "?a?b");
  EXPECT_EQ(Narrow(std::wstring(L"x\xD800")), "x?") << "a lone surrogate at the end";
}

// An earlier version stored each byte as the character the code page gave it; on 1252 the
// table gives it back, elsewhere the code page does.
TEST(Win32Text, AStoredCharacterOfTheSystemsCodePageReadsAsItsByte) {
  EXPECT_EQ(StoredByteOf(L'\u00FC'), 0xFC);
  EXPECT_EQ(StoredByteOf(L'\u20AC'), 0x80);
  wchar_t fromCodePage = 0;
  const char umlaut = static_cast<char>(0xFC);
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &umlaut, 1, &fromCodePage, 1), 1);
  EXPECT_EQ(StoredByteOf(fromCodePage), 0xFC) << "code page " << GetACP();
}

}  // namespace
}  // namespace zerka::win32
