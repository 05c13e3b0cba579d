#include "ui/main_window_layout.h"

#include <gtest/gtest.h>

namespace talvoro::ui {
namespace {

TEST(SavedPlacement, is_used_only_when_switched_on_large_enough_and_on_the_screen) {
    const QSize screen(1280, 1000);
    const struct {
        int on, x, y, width, height;
        bool usable;
    } cases[] = {
        {1, 1280 - 640, 1000 - 380, 640, 380, true},
        {1, 100, 100, 359, 400, false},            // too narrow
        {1, 1280 - 640 + 1, 10, 640, 380, false},  // one pixel past the right edge
        {1, 10, 1000 - 380 + 1, 640, 380, false},  // one pixel past the bottom
        {1, -1, 10, 640, 380, false},
        {0, 10, 10, 640, 380, false},  // switched off
    };
    for (const auto& c : cases) {
        app::Settings settings;
        settings.WinPos = static_cast<std::int8_t>(c.on);
        settings.WinPosX = c.x;
        settings.WinPosY = c.y;
        settings.WinWidth = c.width;
        settings.WinHeight = c.height;
        EXPECT_EQ(SavedPlacementUsable(settings, screen), c.usable)
            << c.on << " " << c.x << "," << c.y << " " << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace talvoro::ui
