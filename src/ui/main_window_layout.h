#pragma once
// Where the controls of the main window sit: the initial places, the layout rule applied on every
// size change, the window's size limits, and whether a saved placement may be used.
// Pure functions of sizes; no widget is touched here.
//
// Thread: any thread (no state).

#include <QPoint>
#include <QRect>
#include <QSize>

#include "app/settings.h"

namespace talvoro::ui {

// Client-area size when no saved placement is usable.
constexpr QSize kDefaultClientSize{640, 380};
// Limits of the window's size while the user drags its frame (outer size).
constexpr QSize kMinimumWindowSize{563, 240};
constexpr QSize kMaximumWindowSize{2048, 2048};
// Smallest saved client size that is still used.
constexpr int kMinimumSavedWidth = 360;
constexpr int kMinimumSavedHeight = 200;
// From this client width on the user list reaches further down.
constexpr int kWideLayoutWidth = 700;

// Rectangles of the main window's controls in client coordinates.
struct ControlRects {
    QRect tabBar;
    QRect textView;  // the current tab's view
    QRect userList;
    QRect inputLine;
    QRect sendButton;
    QRect userToolBar;
    QRect emoticonToolBar;

    bool operator==(const ControlRects&) const = default;
};

// The places of the controls when the window is built. The tool-bar rectangles get the bars' own
// sizes (user bar: its height minus 3).
ControlRects InitialRects(QSize userToolBar, QSize emoticonToolBar);

// The layout rule for client size `client` and status-bar height `statusHeight`: moves and sizes
// the controls of `current`; coordinates the rule does not name stay as they are.
ControlRects LayoutRects(const ControlRects& current, QSize client, int statusHeight);

// Whether the saved placement ("WinPos", "WinPosX", "WinPosY", "WinWidth", "WinHeight") may be
// used on a screen whose maximised client area is `available`.
bool SavedPlacementUsable(const app::Settings& settings, QSize available);

// Top-left corner that centres a window of outer size `window` in `screen`.
QPoint CentredOrigin(QRect screen, QSize window);

// The point where a context-menu request lands, in client coordinates.
enum class ContextRegion { TabBar, TextView, UserList, UserToolBar, Elsewhere };

// Decides which popup a right click at `point` opens: the first of tab bar, current text view,
// user list rows (only when a row is selected; `userRows` is the list's rows area), user tool bar
// (its rectangle plus 6 pixels below) and otherwise the message-field menu.
ContextRegion RegionAt(QPoint point, const ControlRects& rects, QRect userRows, bool rowSelected);

}  // namespace talvoro::ui
