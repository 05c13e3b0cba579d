#pragma once
// The popup menus of the main window and the tray: their items, event numbers, shortcut texts and
// enabling rules. Menus are built from a MenuContext snapshot, so the same rules serve the live
// window and the tests. Every item carries its event number as QAction::data(); the caller routes
// a chosen item by that number (MenuEvent).
//
// Thread: GUI thread only. Text in MenuContext is Windows-1252 bytes.

#include <QMenu>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvoro::ui {

struct MenuUser {
    std::string name;
    std::int32_t id = 0;
    bool noFileReceive = false;  // the user's file receive is off
    bool rejectsMe = false;      // the user rejects my messages
    bool rejected = false;       // I reject the user's messages
};

struct MenuTopic {
    std::string title;
    std::int32_t owner = -1;  // network id of the user who spawned it
};

// What the menus need to know at the moment they open.
struct MenuContext {
    std::vector<MenuUser> users;    // in user-list order: index = row position
    std::vector<MenuTopic> topics;  // the spawned topics, tab positions 1, 2, ...
    std::string ownName;
    std::int32_t ownId = 0;
    bool privateVisible = false;  // the "Private Group" tab is shown
    bool anyTicked = false;       // at least one user-list row is ticked
    bool fileSending = false;     // a file send is running
    bool serverRunning = false;
    bool serviceMode = false;
};

constexpr int kMaxSpawnedTopics = 3;

// The event number of a menu item; 0 for separators and submenu entries.
int MenuEvent(const QAction* action);

// Tray menu: About, Hide/Show, transfer directory, away, Quit (grey in service mode).
std::unique_ptr<QMenu> BuildTrayMenu(bool serviceMode);
// Text-view menu: Find, the "Selection" submenu, Save Session.
std::unique_ptr<QMenu> BuildTextViewMenu();
// Tab-bar menu: topic info, clear, private group (checked when shown), spawn (grey with three
// topics), and the "Close Topic" submenu while topics exist.
std::unique_ptr<QMenu> BuildTopicMenu(const MenuContext& context);
// User-list menu for the selected row `row` (0 <= row < users.size()); null for another row.
std::unique_ptr<QMenu> BuildUserMenu(const MenuContext& context, int row);
// Message-field menu (a right click anywhere else in the window).
std::unique_ptr<QMenu> BuildMessageFieldMenu(const MenuContext& context);

}  // namespace talvoro::ui
