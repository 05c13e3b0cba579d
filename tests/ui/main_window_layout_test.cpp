#include "ui/main_window_layout.h"

#include <gtest/gtest.h>

namespace talvoro::ui {
namespace {

constexpr int kStatus = 22;

ControlRects Start() {
    return InitialRects(QSize(120, 25), QSize(400, 22));
}

TEST(MainWindowLayout, initial_places_match_the_default_client_size) {
    const ControlRects rects = Start();
    EXPECT_EQ(rects.tabBar, QRect(5, 5, 482, 25));
    EXPECT_EQ(rects.userList, QRect(493, 28, 140, 325));
    EXPECT_EQ(rects.userToolBar, QRect(490, 5, 120, 22));  // the bar's height minus 3
    EXPECT_EQ(rects.emoticonToolBar, QRect(2, 356, 400, 22));
}

TEST(SavedPlacement, is_used_only_when_switched_on_large_enough_and_on_the_screen) {
    const QSize screen(1280, 1000);
    const struct {
        int on, x, y, width, height;
        bool usable;
    } cases[] = {
        {1, 100, 100, 640, 380, true},
        {1, 0, 0, 360, 200, true},
        {1, 1280 - 640, 1000 - 380, 640, 380, true},
        {1, 100, 100, 359, 400, false},            // too narrow
        {1, 100, 100, 400, 199, false},            // too low
        {1, 1280 - 640 + 1, 10, 640, 380, false},  // one pixel past the right edge
        {1, 10, 1000 - 380 + 1, 640, 380, false},  // one pixel past the bottom
        {1, -1, 10, 640, 380, false},
        {1, 10, -1, 640, 380, false},
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
    // The defaults (-1, -1) are never usable; a rejected window is centred.
    EXPECT_FALSE(SavedPlacementUsable(app::Settings{}, screen));
    EXPECT_EQ(CentredOrigin(QRect(100, 50, 1280, 1000), QSize(640, 380)), QPoint(420, 360));
}

TEST(ContextRegions, pick_the_first_matching_region) {
    const ControlRects rects = LayoutRects(Start(), QSize(640, 380), kStatus);
    const QRect rows(rects.userList.x(), rects.userList.y() + 20, 140,
                     rects.userList.height() - 20);
    const QPoint belowToolBar(rects.userToolBar.x() + 3, rects.userToolBar.bottom() + 6);
    const struct {
        QPoint point;
        bool rowSelected;
        ContextRegion region;
    } cases[] = {
        {QPoint(20, 10), true, ContextRegion::TabBar},
        {QPoint(100, 100), true, ContextRegion::TextView},
        {rows.center(), true, ContextRegion::UserList},
        {rows.center(), false, ContextRegion::Elsewhere},  // no row: the message-field menu
        {rects.userToolBar.topLeft() + QPoint(3, 3), true, ContextRegion::UserToolBar},
        {belowToolBar, false, ContextRegion::UserToolBar},  // 6 pixels below still count
        {rects.inputLine.center(), true, ContextRegion::Elsewhere},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegionAt(c.point, rects, rows, c.rowSelected), c.region)
            << c.point.x() << "," << c.point.y();
    }
}

}  // namespace
}  // namespace talvoro::ui
