#include "ui/main_window_layout.h"

#include <gtest/gtest.h>

namespace talvoro::ui {
namespace {

constexpr int kStatus = 22;

ControlRects Start() {
    return InitialRects(QSize(120, 25), QSize(400, 22));
}

TEST(MainWindowLayout, user_list_bottom_moves_19_pixels_between_699_and_700_wide) {
    const ControlRects narrow = LayoutRects(Start(), QSize(699, 500), kStatus);
    const ControlRects wide = LayoutRects(Start(), QSize(700, 500), kStatus);
    EXPECT_EQ(narrow.userList.height(), 500 - kStatus - 51);
    EXPECT_EQ(wide.userList.height(), 500 - kStatus - 32);
    EXPECT_EQ(wide.userList.bottom() - narrow.userList.bottom(), 19);
    EXPECT_EQ(narrow.userList.x(), 699 - 145);
    EXPECT_EQ(wide.userList.x(), 700 - 145);
}

TEST(MainWindowLayout, places_every_control_by_the_rule) {
    const ControlRects rects = LayoutRects(Start(), QSize(800, 600), kStatus);
    const int h = 600 - kStatus;
    EXPECT_EQ(rects.textView, QRect(5, 30, 800 - 158, h - 89));
    EXPECT_EQ(rects.tabBar, QRect(5, 5, 800 - 158, 25));
    EXPECT_EQ(rects.userToolBar.topLeft(), QPoint(800 - 148, 5));
    EXPECT_EQ(rects.emoticonToolBar.topLeft(), QPoint(2, h - 23));
    EXPECT_EQ(rects.inputLine, QRect(5, h - 55, 800 - 208, 32));
    EXPECT_EQ(rects.sendButton, QRect(800 - 202, h - 55, 50, 32));
}

TEST(MainWindowLayout, keeps_the_coordinates_the_rule_does_not_name) {
    const ControlRects start = Start();
    const ControlRects rects = LayoutRects(start, QSize(900, 700), kStatus);
    EXPECT_EQ(rects.userList.y(), start.userList.y());
    EXPECT_EQ(rects.userList.width(), start.userList.width());
    EXPECT_EQ(rects.userToolBar.size(), start.userToolBar.size());
    EXPECT_EQ(rects.emoticonToolBar.x(), start.emoticonToolBar.x());
    EXPECT_EQ(rects.emoticonToolBar.size(), start.emoticonToolBar.size());
    EXPECT_EQ(rects.inputLine.height(), start.inputLine.height());
}

TEST(MainWindowLayout, initial_places_match_the_default_client_size) {
    const ControlRects rects = Start();
    EXPECT_EQ(rects.tabBar, QRect(5, 5, 482, 25));
    EXPECT_EQ(rects.userList, QRect(493, 28, 140, 325));
    EXPECT_EQ(rects.userToolBar, QRect(490, 5, 120, 22));  // the bar's height minus 3
    EXPECT_EQ(rects.emoticonToolBar, QRect(2, 356, 400, 22));
}

app::Settings Saved(int x, int y, int w, int h) {
    app::Settings settings;
    settings.WinPos = 1;
    settings.WinPosX = x;
    settings.WinPosY = y;
    settings.WinWidth = w;
    settings.WinHeight = h;
    return settings;
}

TEST(SavedPlacement, is_used_when_it_fits_the_screen) {
    EXPECT_TRUE(SavedPlacementUsable(Saved(100, 100, 640, 380), QSize(1280, 1000)));
    EXPECT_TRUE(SavedPlacementUsable(Saved(0, 0, 360, 200), QSize(1280, 1000)));
    EXPECT_TRUE(SavedPlacementUsable(Saved(1280 - 640, 1000 - 380, 640, 380), QSize(1280, 1000)));
}

TEST(SavedPlacement, is_rejected_below_the_smallest_size) {
    EXPECT_FALSE(SavedPlacementUsable(Saved(100, 100, 359, 400), QSize(1280, 1000)));
    EXPECT_FALSE(SavedPlacementUsable(Saved(100, 100, 400, 199), QSize(1280, 1000)));
}

TEST(SavedPlacement, is_rejected_one_pixel_past_the_screen) {
    EXPECT_FALSE(SavedPlacementUsable(Saved(1280 - 640 + 1, 10, 640, 380), QSize(1280, 1000)));
    EXPECT_FALSE(SavedPlacementUsable(Saved(10, 1000 - 380 + 1, 640, 380), QSize(1280, 1000)));
}

TEST(SavedPlacement, is_rejected_off_screen_to_the_left_or_top_or_when_switched_off) {
    EXPECT_FALSE(SavedPlacementUsable(Saved(-1, 10, 640, 380), QSize(1280, 1000)));
    EXPECT_FALSE(SavedPlacementUsable(Saved(10, -1, 640, 380), QSize(1280, 1000)));
    app::Settings off = Saved(10, 10, 640, 380);
    off.WinPos = 0;
    EXPECT_FALSE(SavedPlacementUsable(off, QSize(1280, 1000)));
    // The defaults (-1, -1) are never a usable placement.
    EXPECT_FALSE(SavedPlacementUsable(app::Settings{}, QSize(1280, 1000)));
}

TEST(SavedPlacement, centres_a_rejected_window) {
    EXPECT_EQ(CentredOrigin(QRect(0, 0, 1280, 1000), QSize(640, 380)), QPoint(320, 310));
    EXPECT_EQ(CentredOrigin(QRect(100, 50, 1280, 1000), QSize(640, 380)), QPoint(420, 360));
}

TEST(ContextRegions, pick_the_first_matching_region) {
    const ControlRects rects = LayoutRects(Start(), QSize(640, 380), kStatus);
    const QRect rows(rects.userList.x(), rects.userList.y() + 20, 140,
                     rects.userList.height() - 20);
    EXPECT_EQ(RegionAt(QPoint(20, 10), rects, rows, true), ContextRegion::TabBar);
    EXPECT_EQ(RegionAt(QPoint(100, 100), rects, rows, true), ContextRegion::TextView);
    EXPECT_EQ(RegionAt(QPoint(rows.x() + 5, rows.y() + 5), rects, rows, true),
              ContextRegion::UserList);
    EXPECT_EQ(RegionAt(rects.userToolBar.topLeft() + QPoint(3, 3), rects, rows, true),
              ContextRegion::UserToolBar);
    // 6 pixels below the tool bar still count as the tool bar.
    EXPECT_EQ(RegionAt(QPoint(rects.userToolBar.x() + 3, rects.userToolBar.bottom() + 6), rects,
                       rows, false),
              ContextRegion::UserToolBar);
    EXPECT_EQ(RegionAt(rects.inputLine.center(), rects, rows, true), ContextRegion::Elsewhere);
}

TEST(ContextRegions, user_list_without_a_selected_row_gives_the_message_field_menu) {
    const ControlRects rects = LayoutRects(Start(), QSize(640, 380), kStatus);
    const QRect rows(rects.userList.x(), rects.userList.y() + 20, 140,
                     rects.userList.height() - 20);
    EXPECT_EQ(RegionAt(rows.center(), rects, rows, false), ContextRegion::Elsewhere);
}

}  // namespace
}  // namespace talvoro::ui
