#include "base/Latin1.h"

#include <gtest/gtest.h>

namespace zerka {

TEST(Latin1, LiteralsBecomeLatin1Bytes) {
  EXPECT_EQ("Package-Größe zu hoch"_l1, "Package-Gr\xF6\xDF" "e zu hoch");
  EXPECT_EQ("DFÜ"_l1, "\x44\x46\xDC");
  EXPECT_EQ("Übernehmen"_l1.size(), 10u);
  EXPECT_EQ(""_l1, "");
}

TEST(Latin1, ConvertsToAndFromUtf8) {
  const std::string latin1 = "Zeitüberschreitung"_l1;
  EXPECT_EQ(Latin1ToUtf8(latin1), "Zeitüberschreitung");
  EXPECT_EQ(Utf8ToLatin1("Zeitüberschreitung"), latin1);
  EXPECT_EQ(Utf8ToLatin1("a\xE2\x82\xAC" "b"), "a?b");  // the euro sign is not Latin-1
  EXPECT_EQ(Utf8ToLatin1("\xC3"), "?");                  // cut short
}

}  // namespace zerka
