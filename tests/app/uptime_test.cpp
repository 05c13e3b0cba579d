#include "app/uptime.h"

#include <gtest/gtest.h>

namespace talvoro::app {
namespace {

TEST(Uptime, counts_seconds_from_the_start) {
    Uptime uptime(1000);
    EXPECT_EQ(uptime.Tick(1001), 1);
    EXPECT_EQ(uptime.Tick(1002), 2);
    EXPECT_EQ(uptime.Tick(1000 + 3723), 3723);
    EXPECT_EQ(uptime.Days(), 0);
}

TEST(Uptime, a_full_day_restarts_the_count_and_adds_a_day) {
    Uptime uptime(0);
    EXPECT_EQ(uptime.Tick(86399), 86399);
    EXPECT_EQ(uptime.Days(), 0);
    EXPECT_EQ(uptime.Tick(86400), 0);
    EXPECT_EQ(uptime.Days(), 1);
    EXPECT_EQ(UptimeText(uptime.Days(), 0), "Running: 1d00h00m00s");
    EXPECT_EQ(uptime.Tick(86401), 1) << "the new day counts from the rollover tick";
}

TEST(Uptime, a_late_tick_after_more_than_a_day_still_counts_one_day) {
    Uptime uptime(0);
    EXPECT_EQ(uptime.Tick(90000), 0);
    EXPECT_EQ(uptime.Days(), 1);
    EXPECT_EQ(uptime.Tick(90005), 5);
}

TEST(Uptime, clock_before_the_start_counts_as_zero) {
    Uptime uptime(500);
    EXPECT_EQ(uptime.Tick(400), 0);
    EXPECT_EQ(uptime.Days(), 0);
}

TEST(UptimeText, writes_two_digit_fields) {
    EXPECT_EQ(UptimeText(0, 3723), "Running: 0d01h02m03s");
    EXPECT_EQ(UptimeText(0, 1), "Running: 0d00h00m01s");
    EXPECT_EQ(UptimeText(12, 86399), "Running: 12d23h59m59s");
}

TEST(MessagesText, writes_the_count) {
    EXPECT_EQ(MessagesText(0), "Total Messages: 0");
    EXPECT_EQ(MessagesText(12345), "Total Messages: 12345");
}

TEST(TrayBlink, only_while_hidden_after_a_message_and_beyond_two_frames) {
    EXPECT_TRUE(TrayShouldBlink(false, true, 3));
    EXPECT_FALSE(TrayShouldBlink(false, true, 2));
    EXPECT_FALSE(TrayShouldBlink(true, true, 10));
    EXPECT_FALSE(TrayShouldBlink(false, false, 10));
}

TEST(TrayBlink, alternates_between_95_and_96) {
    EXPECT_EQ(NextTrayImage(95), 96);
    EXPECT_EQ(NextTrayImage(96), 95);
    EXPECT_EQ(NextTrayImage(NextTrayImage(95)), 95);
}

}  // namespace
}  // namespace talvoro::app
