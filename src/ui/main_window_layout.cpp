#include "ui/main_window_layout.h"

namespace talvoro::ui {

namespace {
constexpr int kToolBarHitMargin = 6;
}

ControlRects InitialRects(QSize userToolBar, QSize emoticonToolBar) {
    ControlRects rects;
    rects.tabBar = QRect(5, 5, 482, 25);
    rects.textView = QRect(5, 30, 482, 285);
    rects.userList = QRect(493, 28, 140, 325);
    rects.inputLine = QRect(5, 322, 432, 32);
    rects.sendButton = QRect(438, 322, 50, 32);
    rects.userToolBar = QRect(490, 5, userToolBar.width(), userToolBar.height() - 3);
    rects.emoticonToolBar = QRect(2, 356, emoticonToolBar.width(), emoticonToolBar.height());
    return rects;
}

ControlRects LayoutRects(const ControlRects& current, QSize client, int statusHeight) {
    const int w = client.width();
    const int h = client.height() - statusHeight;  // the rule's H - S
    ControlRects rects = current;
    rects.textView = QRect(5, 30, w - 158, h - 89);
    rects.tabBar.setWidth(w - 158);
    rects.userToolBar.moveLeft(w - 148);
    rects.userList.moveLeft(w - 145);
    rects.userList.setHeight(w < kWideLayoutWidth ? h - 51 : h - 32);
    rects.emoticonToolBar.moveTop(h - 23);
    rects.inputLine.moveTop(h - 55);
    rects.inputLine.setWidth(w - 208);
    rects.sendButton.moveTopLeft(QPoint(w - 202, h - 55));
    return rects;
}

bool SavedPlacementUsable(const app::Settings& settings, QSize available) {
    return settings.WinPos != 0 && settings.WinPosX >= 0 &&
           settings.WinPosX <= available.width() - settings.WinWidth && settings.WinPosY >= 0 &&
           settings.WinPosY <= available.height() - settings.WinHeight &&
           settings.WinWidth >= kMinimumSavedWidth && settings.WinHeight >= kMinimumSavedHeight;
}

QPoint CentredOrigin(QRect screen, QSize window) {
    return QPoint(screen.x() + (screen.width() - window.width()) / 2,
                  screen.y() + (screen.height() - window.height()) / 2);
}

ContextRegion RegionAt(QPoint point, const ControlRects& rects, QRect userRows, bool rowSelected) {
    if (rects.tabBar.contains(point)) {
        return ContextRegion::TabBar;
    }
    if (rects.textView.contains(point)) {
        return ContextRegion::TextView;
    }
    if (rowSelected && userRows.contains(point)) {
        return ContextRegion::UserList;
    }
    if (rects.userToolBar.adjusted(0, 0, 0, kToolBarHitMargin).contains(point)) {
        return ContextRegion::UserToolBar;
    }
    return ContextRegion::Elsewhere;
}

}  // namespace talvoro::ui
