#include "ui/menus.h"

#include <gtest/gtest.h>

#include <QAction>
#include <functional>
#include <string>

#include "support/qt_app.h"
#include "ui/identifiers.h"

namespace talvoro::ui {
namespace {

// A menu as its event numbers: "-" for a separator, a submenu in brackets, "!" before a disabled
// item and "*" after a checked one. The texts are left out: the numbers and the enabling are what
// the window acts on.
std::string Items(const QMenu& menu) {
    std::string items;
    for (const QAction* action : menu.actions()) {
        std::string item = action->isSeparator()       ? "-"
                           : action->menu() != nullptr ? "[" + Items(*action->menu()) + "]"
                                                       : std::to_string(MenuEvent(action));
        if (!action->isSeparator() && !action->isEnabled()) {
            item.insert(0, "!");
        }
        items += item + (action->isChecked() ? "* " : " ");
    }
    if (!items.empty()) {
        items.pop_back();
    }
    return items;
}

// ann (file receive on), me (row 1, id 7), bob (file receive off, rejects me, rejected by me).
MenuContext Users(bool server, bool ticked, bool sending) {
    MenuContext context;
    context.ownName = "me";
    context.ownId = 7;
    context.users = {{"ann", 1500, false, false, false},
                     {"me", 7, false, false, false},
                     {"bob", 9, true, true, true}};
    context.serverRunning = server;
    context.anyTicked = ticked;
    context.fileSending = sending;
    return context;
}

MenuContext Topics(bool server, bool privateVisible, std::vector<MenuTopic> topics) {
    MenuContext context;
    context.ownId = 7;
    context.serverRunning = server;
    context.privateVisible = privateVisible;
    context.topics = std::move(topics);
    return context;
}

TEST(Menus, have_their_numbers_and_enabling) {
    talvoro::test::QtApp();
    const struct {
        const char* name;
        std::function<std::unique_ptr<QMenu>()> build;
        const char* items;
    } cases[] = {
        {"tray", [] { return BuildTrayMenu(false); }, "1 - 2 3 - 5 - 4"},
        {"tray_service", [] { return BuildTrayMenu(true); }, "1 - 2 3 - 5 - !4"},
        // Spawning is grey with three topics; closing needs the own or no owner, or the server.
        {"topic_client_three_topics",
         [] {
             return BuildTopicMenu(
                 Topics(false, false, {{"mine", 7}, {"theirs", 12}, {"orphan", 0}}));
         },
         "300 - 302 - 303 - !304 [311 !312 313]"},
        {"topic_server_two_topics",
         [] {
             return BuildTopicMenu(Topics(true, true, {{"mine", 7}, {"theirs", 12}}));
         },
         "300 - 302 - 303* - 304 [311 312]"},
        // User items carry the row position, not the network id.
        {"user_row", [] { return BuildUserMenu(Users(false, false, false), 0); },
         "6000 - - 1000 - 2000 - 5000"},
        {"user_own_row", [] { return BuildUserMenu(Users(true, false, false), 1); },
         "6001 - 3 - 5 - - !1001 - !2001 - !5001"},
        {"user_who_rejects_me_on_the_server",
         [] { return BuildUserMenu(Users(true, true, false), 2); },
         "6002 - [400 401 402 - 404 405] - !1002 - !2002 - 5002* - 3002 4002"},
        {"message_field_own_user_only",
         [] {
             MenuContext context = Users(true, false, false);
             context.users = {context.users[1]};
             return BuildMessageFieldMenu(context);
         },
         "[6000] - 3 - 5 -"},
        {"message_field_server", [] { return BuildMessageFieldMenu(Users(true, true, false)); },
         "[6000 6001 6002] - 3 - 5 - [400 401 402 - 404 405] - [1000 !1002] - [2000 !2002] - "
         "[5000 5002*] - [3000 3002] [4000 4002]"},
        {"message_field_plain_client_while_sending",
         [] { return BuildMessageFieldMenu(Users(false, false, true)); },
         "[6000 6001 6002] - 3 - 5 - - [!1000 !1002] - [2000 !2002] - [5000 5002*]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QMenu> menu = c.build();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Items(*menu), c.items);
    }
}

TEST(UserMenu, exists_only_for_a_listed_row_and_names_users_from_windows_1252) {
    talvoro::test::QtApp();
    MenuContext context;
    context.users = {{"J\xFCrgen", 3, false, false, false}};
    EXPECT_EQ(BuildUserMenu(context, 1), nullptr);
    EXPECT_EQ(BuildUserMenu(context, -1), nullptr);
    EXPECT_EQ(BuildUserMenu(context, 0)->actions().front()->text(),
              QString::fromUtf8("User &Details Jürgen\tAlt+D"));
}

}  // namespace
}  // namespace talvoro::ui
