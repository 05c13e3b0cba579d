#include "app/about_animation.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace talvoro::app {
namespace {

TEST(AboutAnimation, version_line_shows_a_two_digit_month_and_four_digit_year) {
    constexpr std::int32_t kMarch15th2005 = 1110844800;  // 2005-03-15 00:00:00
    EXPECT_EQ(AboutVersionLine(1600, kMarch15th2005), "Version 1.6.0.0, 03-2005");
}

TEST(AboutAnimation, pictures_bounce_in_opposite_phase_between_the_top_and_173) {
    AboutAnimation animation(10);
    const AboutFrame first = animation.Next();  // counter 1315 -> 1320
    EXPECT_EQ(first.leftY, 87);                 // 1320^2 / 20000 = 87.12
    EXPECT_EQ(first.rightY, 15);                // 540^2 / 20000 = 14.58
    EXPECT_EQ(first.leftPicture, 130);
    EXPECT_EQ(first.rightPicture, 133);

    int lowest = 0;
    int highest = 1000;
    int pictureChanges = 1;
    int turns = 0;
    int previous = first.leftY;
    bool falling = true;
    for (int i = 0; i < 400; ++i) {  // more than one full bounce (186 frames each way)
        const AboutFrame frame = animation.Next();
        EXPECT_EQ(frame.leftPicture.has_value(), frame.rightPicture.has_value());
        pictureChanges += frame.leftPicture ? 1 : 0;
        lowest = std::max(lowest, frame.leftY);
        highest = std::min(highest, frame.leftY);
        if ((frame.leftY < previous) == falling && frame.leftY != previous) {
            falling = !falling;
            ++turns;
        }
        previous = frame.leftY;
    }
    EXPECT_EQ(lowest, 173);  // 1860^2 / 20000 = 172.98
    EXPECT_EQ(highest, 0);
    EXPECT_EQ(turns, 2);
    EXPECT_EQ(pictureChanges, 1 + 400 / 12);
}

}  // namespace
}  // namespace talvoro::app
