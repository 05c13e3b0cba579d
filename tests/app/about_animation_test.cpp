#include "app/about_animation.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talvoro::app {
namespace {

TEST(AboutAnimation, version_line_shows_a_two_digit_month_and_four_digit_year) {
    constexpr std::int32_t kMarch15th2005 = 1110844800;  // 2005-03-15 00:00:00
    EXPECT_EQ(AboutVersionLine(1600, kMarch15th2005), "Version 1.6.0.0, 03-2005");
}

TEST(AboutAnimation, pictures_bounce_between_the_top_and_173_and_change_together) {
    AboutAnimation animation(10);
    int lowest = 0;
    int highest = 1000;
    for (int i = 0; i < 400; ++i) {  // more than one full bounce (186 frames each way)
        const AboutFrame frame = animation.Next();
        EXPECT_EQ(frame.leftPicture.has_value(), frame.rightPicture.has_value());
        lowest = std::max({lowest, frame.leftY, frame.rightY});
        highest = std::min({highest, frame.leftY, frame.rightY});
    }
    EXPECT_EQ(lowest, 173);  // the picture area's height
    EXPECT_EQ(highest, 0);
}

}  // namespace
}  // namespace talvoro::app
