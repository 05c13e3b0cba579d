#include "app/uptime.h"

#include <gtest/gtest.h>

namespace talvoro::app {
namespace {

TEST(Uptime, counts_seconds_of_the_day_and_restarts_the_count_after_each_full_day) {
    Uptime uptime(1000);
    EXPECT_EQ(uptime.Tick(900), 0);  // a clock before the start counts as zero
    EXPECT_EQ(uptime.Tick(1001), 1);
    EXPECT_EQ(uptime.Tick(1000 + 86399), 86399);
    EXPECT_EQ(uptime.Days(), 0);
    EXPECT_EQ(uptime.Tick(1000 + 86400), 0);
    EXPECT_EQ(uptime.Days(), 1);
    EXPECT_EQ(uptime.Tick(1000 + 86401), 1) << "the new day counts from the rollover tick";

    Uptime late(0);
    EXPECT_EQ(late.Tick(90000), 0);  // a late tick after more than a day still counts one day
    EXPECT_EQ(late.Days(), 1);
    EXPECT_EQ(late.Tick(90005), 5);
}

TEST(StatusTexts, write_two_digit_uptime_fields_and_the_message_count) {
    EXPECT_EQ(UptimeText(0, 3723), "Running: 0d01h02m03s");
    EXPECT_EQ(UptimeText(12, 86399), "Running: 12d23h59m59s");
    EXPECT_EQ(MessagesText(12345), "Total Messages: 12345");
}

TEST(TrayBlink, blinks_only_while_hidden_after_a_message_beyond_two_frames) {
    EXPECT_TRUE(TrayShouldBlink(false, true, 3));
    EXPECT_FALSE(TrayShouldBlink(false, true, 2));
    EXPECT_FALSE(TrayShouldBlink(true, true, 10));
    EXPECT_FALSE(TrayShouldBlink(false, false, 10));
}

}  // namespace
}  // namespace talvoro::app
