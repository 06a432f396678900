// The status line's time stamp in the user's own date and time formats.
#include "tests/platform_win32/Win32TestSupport.h"

#include <regex>
#include <string>

namespace zerka {
namespace {

// Sets one of the user's locale formats for the test and puts the old one back afterwards.
class TUserFormat {
 public:
  TUserFormat(LCTYPE item, const char* format) : item_(item) {
    GetLocaleInfoA(LOCALE_USER_DEFAULT, item_, old_, sizeof old_);
    set_ = SetLocaleInfoA(LOCALE_USER_DEFAULT, item_, format) != FALSE;
  }
  ~TUserFormat() {
    if (set_) SetLocaleInfoA(LOCALE_USER_DEFAULT, item_, old_);
  }
  TUserFormat(const TUserFormat&) = delete;
  TUserFormat& operator=(const TUserFormat&) = delete;
  bool Set() const { return set_; }

 private:
  LCTYPE item_;
  char old_[80] = {};
  bool set_ = false;
};

using LocaleTest = Win32PlatformTest;

TEST_F(LocaleTest, TheTimeStampIsTheUsersShortDateABlankAndTheLongTime) {
  const TUserFormat date(LOCALE_SSHORTDATE, "yyyy-MM-dd");
  const TUserFormat time(LOCALE_STIMEFORMAT, "HH.mm.ss");
  ASSERT_TRUE(date.Set() && time.Set());
  const std::string stamp = P().Locale().DateTimeText();
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"([0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}\.[0-9]{2}\.[0-9]{2})"))) << stamp;
}

}  // namespace
}  // namespace zerka
