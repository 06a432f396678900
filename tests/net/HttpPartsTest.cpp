#include <gtest/gtest.h>

#include <string>

#include "net/NetBase64.h"
#include "net/NetHeaderList.h"
#include "net/NetHttpDate.h"
#include "net/NetUrl.h"

namespace zerka {

TEST(SplitUrl, TheRestartUrl) {
  const auto parts = SplitUrl("http://192.168.1.5:2506/zerka-admin/admin/?Restart=true");
  EXPECT_EQ(parts.Protocol, "http");
  EXPECT_EQ(parts.Host, "192.168.1.5");
  EXPECT_EQ(parts.Port, "2506");
  EXPECT_EQ(parts.Path, "/zerka-admin/admin/");
  EXPECT_EQ(parts.Document, "?Restart=true");
  EXPECT_EQ(parts.Fragment, "");
}

TEST(SplitUrl, MissingPartsAndOddForms) {
  auto parts = SplitUrl("http://host");
  EXPECT_EQ(parts.Host, "host");
  EXPECT_EQ(parts.Port, "");
  EXPECT_EQ(parts.Path, "/");
  EXPECT_EQ(parts.Document, "");

  parts = SplitUrl("http://host:81/index.html#top");
  EXPECT_EQ(parts.Port, "81");
  EXPECT_EQ(parts.Path, "/");
  EXPECT_EQ(parts.Document, "index.html");
  EXPECT_EQ(parts.Fragment, "top");

  parts = SplitUrl("http:\\\\host\\a\\b.txt");
  EXPECT_EQ(parts.Host, "host");
  EXPECT_EQ(parts.Path, "/a/");
  EXPECT_EQ(parts.Document, "b.txt");

  parts = SplitUrl("dir/page");  // no "://": all of it is path and document
  EXPECT_EQ(parts.Protocol, "");
  EXPECT_EQ(parts.Host, "");
  EXPECT_EQ(parts.Path, "/dir/");
  EXPECT_EQ(parts.Document, "page");
}

TEST(EncodeBase64, PublishedVectorsAndEightBitBytes) {
  EXPECT_EQ(EncodeBase64(""), "");
  EXPECT_EQ(EncodeBase64("f"), "Zg==");
  EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
  EXPECT_EQ(EncodeBase64("foo"), "Zm9v");
  EXPECT_EQ(EncodeBase64("foob"), "Zm9vYg==");
  EXPECT_EQ(EncodeBase64("fooba"), "Zm9vYmE=");
  EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
  EXPECT_EQ(EncodeBase64("admin:"), "YWRtaW46");
  EXPECT_EQ(EncodeBase64("\xFC\xFF\xFE"), "/P/+");
  EXPECT_EQ(EncodeBase64(std::string(60, 'a')).size(), 80u);  // no line breaks
}

TEST(HeaderList, LookupIgnoresCaseAndJoinsContinuations) {
  TNetHeaderList list;
  list.Add("Content-Type: text/html");
  list.Add("X-Long:\t first");
  list.Add("  second");
  list.Add("\tthird ");
  list.Add("  fourth");
  list.Add("Server: demo");
  EXPECT_EQ(list.Values("content-TYPE"), "text/html");
  EXPECT_EQ(list.Values("x-long"), "first second third fourth");
  EXPECT_EQ(list.Values("Missing"), "");
  EXPECT_EQ(list.IndexOfName("SERVER"), 5);

  list.Remove("X-LONG");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Lines()[1], "Server: demo");
}

TEST(HttpDate, TheThreeFormsGiveTheSameInstant) {
  // 1994-11-06 is day 34644 after 1899-12-30.
  const double expected = 34644 + (8 * 3600 + 49 * 60 + 37) / 86400.0;
  EXPECT_DOUBLE_EQ(HttpDateToDateTime("Sun, 06 Nov 1994 08:49:37 GMT"), expected);
  EXPECT_DOUBLE_EQ(HttpDateToDateTime("Sunday, 06-Nov-94 08:49:37 GMT"), expected);
  EXPECT_DOUBLE_EQ(HttpDateToDateTime("Sun Nov  6 08:49:37 1994"), expected);
  EXPECT_DOUBLE_EQ(HttpDateToDateTime("Sun, 06 Nov 1994 10:49:37 +0200"), expected);
  EXPECT_DOUBLE_EQ(HttpDateToDateTime("Thu, 01 Jan 1970 00:00:00 GMT"), 25569);
  EXPECT_DOUBLE_EQ(HttpDateToDateTime("Tue, 29 Feb 2000 12:00:00 GMT"), 36585.5);
}

TEST(HttpDate, UnreadableDatesGiveZero) {
  for (const char* text : {"", "0", "-1", "yesterday", "Sun, 31 Feb 1994 08:49:37 GMT",
                           "Sun, 06 Nov 1994 25:00:00 GMT", "Sun, 06 Foo 1994 08:49:37 GMT",
                           "Sun, 06 Nov 1994", "Sun, 06 Nov 1994 08:49:37 GMT extra"}) {
    EXPECT_EQ(HttpDateToDateTime(text), 0) << text;
  }
}

TEST(HttpDate, AHeaderOfDashedNumbersIsRefusedWithoutDeepRecursion) {
  // Each "-" pair used to open one more level of recursion with a copy of the rest.
  std::string text = "Sun, ";
  for (int i = 0; i < 200000; ++i) text += "0-";
  text += "0";
  EXPECT_EQ(HttpDateToDateTime(text), 0);
  EXPECT_EQ(HttpDateToDateTime("Sunday, 06-Nov-94-1 08:49:37 GMT"), 0);
}

}  // namespace zerka
