#include "app/date_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace talvoro::app {
namespace {

constexpr std::int32_t kJuly12th2004 = 1089618633;  // 2004-07-12 07:50:33

TEST(FormatDate, fills_every_mask_token_and_copies_other_text) {
    // The masks the program uses, then tokens in any case and percent signs that start none.
    EXPECT_EQ(FormatDate(kJuly12th2004, "%hh:%ii:%ss"), "07:50:33");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%yyyy-%mm-%dd"), "2004-07-12");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%dd-%mm-%yy %hh:%ii:%ss"), "12-07-04 07:50:33");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%YYYY-%Mm-%dD %HH:%iI:%SS %YY"), "2004-07-12 07:50:33 04");
    EXPECT_EQ(FormatDate(kJuly12th2004, "100% %x %y %m% %%hh %yyy"), "100% %x %y %m% %07 04y");
    EXPECT_EQ(FormatDate(951815107, "%dd.%mm.%yy %hh:%ii:%ss"), "29.02.00 09:05:07");  // a leap day
    EXPECT_EQ(FormatDate(2147483647, "%yyyy-%mm-%dd %hh:%ii:%ss"), "2038-01-19 03:14:07");
    EXPECT_EQ(FormatDate(-1, "%yyyy-%mm-%dd %hh:%ii:%ss"), "1969-12-31 23:59:59");
}

TEST(NowDateValue, is_the_local_wall_clock_taken_as_universal_time) {
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved == nullptr ? "" : saved;
    setenv("TZ", "UTC-2", 1);  // POSIX counts west as positive: two hours east of Greenwich
    tzset();
    const std::int64_t before = std::time(nullptr);
    const std::int64_t value = NowDateValue();
    const std::int64_t after = std::time(nullptr);
    saved == nullptr ? unsetenv("TZ") : setenv("TZ", savedZone.c_str(), 1);
    tzset();
    EXPECT_GE(value, before + 7200);
    EXPECT_LE(value, after + 7200);
}

TEST(FormatVersion, writes_first_three_and_last_digit_with_1000_as_the_floor) {
    EXPECT_EQ(FormatVersion(1600), "1.6.0.0");
    EXPECT_EQ(FormatVersion(1550), "1.5.5.0");
    EXPECT_EQ(FormatVersion(999), "1.0.0.0");
    EXPECT_EQ(FormatVersion(12345), "1.2.3.5");
}

}  // namespace
}  // namespace talvoro::app
