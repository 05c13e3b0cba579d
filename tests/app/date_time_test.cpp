#include "app/date_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace talvoro::app {
namespace {

constexpr std::int32_t kJuly12th2004 = 1089618633;  // 2004-07-12 07:50:33
constexpr std::int32_t kLeapDay2000 = 951815107;    // 2000-02-29 09:05:07

TEST(FormatDate, writes_every_mask_the_program_uses) {
    EXPECT_EQ(FormatDate(kJuly12th2004, "%hh:%ii:%ss"), "07:50:33");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%yyyy-%mm-%dd"), "2004-07-12");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%yyyy%mm%dd-%hh%ii%ss"), "20040712-075033");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%dd-%mm-%yy %hh:%ii:%ss"), "12-07-04 07:50:33");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%mm-%yyyy"), "07-2004");
}

TEST(FormatDate, pads_single_digits_and_knows_leap_days) {
    EXPECT_EQ(FormatDate(kLeapDay2000, "%dd.%mm.%yy %hh:%ii:%ss"), "29.02.00 09:05:07");
    EXPECT_EQ(FormatDate(0, "%yyyy-%mm-%dd %hh:%ii:%ss"), "1970-01-01 00:00:00");
    EXPECT_EQ(FormatDate(2147483647, "%yyyy-%mm-%dd %hh:%ii:%ss"), "2038-01-19 03:14:07");
}

TEST(FormatDate, handles_dates_before_1970) {
    EXPECT_EQ(FormatDate(-1, "%yyyy-%mm-%dd %hh:%ii:%ss"), "1969-12-31 23:59:59");
    EXPECT_EQ(FormatDate(-2147483647 - 1, "%yyyy-%mm-%dd"), "1901-12-13");
}

TEST(FormatDate, recognises_tokens_in_any_case) {
    EXPECT_EQ(FormatDate(kJuly12th2004, "%YYYY-%Mm-%dD %HH:%iI:%SS %YY"), "2004-07-12 07:50:33 04");
}

TEST(FormatDate, copies_percent_signs_that_start_no_token) {
    EXPECT_EQ(FormatDate(kJuly12th2004, "100%"), "100%");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%x %y %m% %%hh"), "%x %y %m% %07");
    EXPECT_EQ(FormatDate(kJuly12th2004, "%yyy"), "04y");
    EXPECT_EQ(FormatDate(kJuly12th2004, ""), "");
}

TEST(NowDateValue, is_the_local_wall_clock_taken_as_universal_time) {
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved == nullptr ? "" : saved;
    // POSIX zone strings count west as positive: "UTC-2" is two hours east of Greenwich.
    setenv("TZ", "UTC-2", 1);
    tzset();
    const std::int64_t before = std::time(nullptr);
    const std::int64_t value = NowDateValue();
    const std::int64_t after = std::time(nullptr);
    if (saved == nullptr) {
        unsetenv("TZ");
    } else {
        setenv("TZ", savedZone.c_str(), 1);
    }
    tzset();
    EXPECT_GE(value, before + 7200);
    EXPECT_LE(value, after + 7200);
}

TEST(FormatVersion, writes_four_dot_separated_digits) {
    EXPECT_EQ(FormatVersion(1600), "1.6.0.0");
    EXPECT_EQ(FormatVersion(1000), "1.0.0.0");
    EXPECT_EQ(FormatVersion(1550), "1.5.5.0");
}

TEST(FormatVersion, takes_numbers_below_1000_as_1000) {
    EXPECT_EQ(FormatVersion(999), "1.0.0.0");
    EXPECT_EQ(FormatVersion(0), "1.0.0.0");
    EXPECT_EQ(FormatVersion(-5), "1.0.0.0");
}

TEST(FormatVersion, uses_first_three_and_last_digit_of_longer_numbers) {
    EXPECT_EQ(FormatVersion(12345), "1.2.3.5");
}

}  // namespace
}  // namespace talvoro::app
