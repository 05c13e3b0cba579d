#include "ui/menus.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QStringList>

#include "app/identifiers.h"
#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

namespace cmd = app::cmd;

class Menus : public ::testing::Test {
  protected:
    void SetUp() override { talvoro::test::QtApp(); }
};

// The items of a menu as "text=number" (submenus by title, separators as "-"), enabled items
// plain and disabled ones with a leading "!", checked ones with a trailing "*".
QStringList Items(const QMenu& menu) {
    QStringList items;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            items << QStringLiteral("-");
            continue;
        }
        QString item = action->menu() != nullptr
                           ? QStringLiteral("[") + action->text() + QStringLiteral("]")
                           : action->text() + QLatin1Char('=') + QString::number(MenuEvent(action));
        if (!action->isEnabled()) {
            item.prepend(QLatin1Char('!'));
        }
        if (action->isChecked()) {
            item.append(QLatin1Char('*'));
        }
        items << item;
    }
    return items;
}

const QAction* Find(const QMenu& menu, int event) {
    for (const QAction* action : menu.actions()) {
        if (action->menu() != nullptr) {
            if (const QAction* inner = Find(*action->menu(), event)) {
                return inner;
            }
        } else if (MenuEvent(action) == event) {
            return action;
        }
    }
    return nullptr;
}

const QMenu* Submenu(const QMenu& menu, const QString& title) {
    for (const QAction* action : menu.actions()) {
        if (action->menu() != nullptr && action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

MenuContext ThreeUsers() {
    MenuContext context;
    context.ownName = "me";
    context.ownId = 7;
    context.users = {{"ann", 1500, false, false, false},
                     {"me", 7, false, false, false},
                     {"bob", 9, true, true, true}};
    return context;
}

TEST_F(Menus, tray_menu_lists_the_application_commands_and_greys_quit_in_service_mode) {
    const auto normal = BuildTrayMenu(false);
    EXPECT_EQ(Items(*normal), QStringList({"&About\tAlt-A=1", "-", "&Hide/Show\tAlt-H=2",
                                           "&Open Transfer Dir\tAlt-O=3", "-",
                                           "Toggle Awa&y Status\tAlt-Y=5", "-", "&Quit\tAlt-Q=4"}));
    const auto service = BuildTrayMenu(true);
    EXPECT_FALSE(Find(*service, cmd::kQuit)->isEnabled());
}

TEST_F(Menus, text_view_menu_has_find_selection_submenu_and_save) {
    const auto menu = BuildTextViewMenu();
    EXPECT_EQ(Items(*menu), QStringList({"&Find Text\tAlt-F=200", "-", "[Selection]", "-",
                                         "&Save Session\tAlt-S=204"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Selection")),
              QStringList({"Select All\tCtrl-A=201", "Clear Selection=202", "-",
                           "&Copy to Clipboard\tCtrl-C=203"}));
}

TEST_F(Menus, topic_menu_without_topics_has_no_close_submenu_and_checks_private_group) {
    MenuContext context;
    context.privateVisible = true;
    const auto menu = BuildTopicMenu(context);
    EXPECT_EQ(Items(*menu),
              QStringList({"Topic &Info\tAlt+I=300", "-", "&Clear Topic Content\tAlt+C=302", "-",
                           "Private &Group\tAlt+G=303*", "-", "Spaw&n Topic\tAlt+N=304"}));
    context.privateVisible = false;
    EXPECT_FALSE(Find(*BuildTopicMenu(context), cmd::kPrivateGroupToggle)->isChecked());
}

TEST_F(Menus, spawn_topic_is_grey_with_three_topics_whether_or_not_private_is_shown) {
    MenuContext context;
    context.topics = {{"a", 0}, {"b", 0}};
    for (const bool privateVisible : {false, true}) {
        context.privateVisible = privateVisible;
        EXPECT_TRUE(Find(*BuildTopicMenu(context), cmd::kSpawnTopic)->isEnabled());
    }
    context.topics.push_back({"c", 0});
    for (const bool privateVisible : {false, true}) {
        context.privateVisible = privateVisible;
        EXPECT_FALSE(Find(*BuildTopicMenu(context), cmd::kSpawnTopic)->isEnabled());
    }
}

TEST_F(Menus, close_topic_items_are_enabled_for_own_or_ownerless_topics_or_on_the_server) {
    MenuContext context;
    context.ownId = 7;
    context.topics = {{"mine", 7}, {"theirs", 12}, {"orphan", 0}};
    const auto client = BuildTopicMenu(context);
    EXPECT_EQ(Items(*Submenu(*client, "Close Topic")),
              QStringList({"mine=311", "!theirs=312", "orphan=313"}));
    context.serverRunning = true;
    const auto server = BuildTopicMenu(context);
    EXPECT_EQ(Items(*Submenu(*server, "Close Topic")),
              QStringList({"mine=311", "theirs=312", "orphan=313"}));
}

TEST_F(Menus, user_menu_items_carry_the_row_position_not_the_network_id) {
    const auto menu = BuildUserMenu(ThreeUsers(), 0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(
        Items(*menu),
        QStringList({"User &Details ann\tAlt+D=6000", "-", "-", "&Transfer to ann\tAlt+T=1000", "-",
                     "&Whisper to ann\tAlt+W=2000", "-", "Toggle &reject ann\tAlt+R=5000"}));
}

TEST_F(Menus, user_menu_for_the_own_row_offers_own_items_and_greys_the_user_actions) {
    MenuContext context = ThreeUsers();
    context.serverRunning = true;
    const auto menu = BuildUserMenu(context, 1);
    EXPECT_EQ(
        Items(*menu),
        QStringList({"User &Details me\tAlt+D=6001", "-", "&Open Transfer Dir\tAlt+O=3", "-",
                     "Toggle Awa&y Status\tAlt+Y=5", "-", "-", "!&Transfer to me\tAlt+T=1001", "-",
                     "!&Whisper to me\tAlt+W=2001", "-", "!Toggle &reject me\tAlt+R=5001"}));
}

TEST_F(Menus, user_menu_greys_transfer_and_whisper_for_a_user_who_rejects_me) {
    MenuContext context = ThreeUsers();
    context.serverRunning = true;
    context.anyTicked = true;
    const auto menu = BuildUserMenu(context, 2);
    EXPECT_EQ(
        Items(*menu),
        QStringList({"User &Details bob\tAlt+D=6002", "-", "[Group]", "-",
                     "!&Transfer to bob\tAlt+T=1002", "-", "!&Whisper to bob\tAlt+W=2002", "-",
                     "Toggle &reject bob\tAlt+R=5002*", "-", "Kick bob=3002", "Ban bob=4002"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Group")),
              QStringList({"Whisper=400", "Transfer=401", "Reject=402", "-", "Select All=404",
                           "Clear All=405"}));
}

TEST_F(Menus, user_menu_greys_transfer_while_a_file_is_being_sent) {
    MenuContext context = ThreeUsers();
    context.fileSending = true;
    const auto menu = BuildUserMenu(context, 0);
    EXPECT_FALSE(Find(*menu, cmd::kTransferToRowBase)->isEnabled());
    EXPECT_TRUE(Find(*menu, cmd::kWhisperToRowBase)->isEnabled());
    EXPECT_EQ(BuildUserMenu(context, 3), nullptr);
    EXPECT_EQ(BuildUserMenu(context, -1), nullptr);
}

TEST_F(Menus, message_field_menu_with_only_the_own_user_has_no_user_submenus) {
    MenuContext context;
    context.ownName = "me";
    context.users = {{"me", 7, false, false, false}};
    context.serverRunning = true;
    const auto menu = BuildMessageFieldMenu(context);
    EXPECT_EQ(Items(*menu), QStringList({"[User Details]", "-", "&Open Transfer Dir\tAlt+O=3", "-",
                                         "Toggle Awa&y Status\tAlt+Y=5", "-"}));
    EXPECT_EQ(Items(*Submenu(*menu, "User Details")), QStringList({"me=6000"}));
}

TEST_F(Menus, message_field_menu_lists_the_other_users_with_their_states) {
    MenuContext context = ThreeUsers();
    context.serverRunning = true;
    context.anyTicked = true;
    const auto menu = BuildMessageFieldMenu(context);
    EXPECT_EQ(Items(*menu), QStringList({"[User Details]", "-", "&Open Transfer Dir\tAlt+O=3", "-",
                                         "Toggle Awa&y Status\tAlt+Y=5", "-", "[Group]", "-",
                                         "[Transfer to]", "-", "[Whisper to]", "-", "[Reject]", "-",
                                         "[Kick user]", "[Ban user]"}));
    EXPECT_EQ(Items(*Submenu(*menu, "User Details")),
              QStringList({"ann=6000", "me=6001", "bob=6002"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Transfer to")), QStringList({"ann=1000", "!bob=1002"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Whisper to")), QStringList({"ann=2000", "!bob=2002"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Reject")), QStringList({"ann=5000", "bob=5002*"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Kick user")), QStringList({"ann=3000", "bob=3002"}));
    EXPECT_EQ(Items(*Submenu(*menu, "Ban user")), QStringList({"ann=4000", "bob=4002"}));
}

TEST_F(Menus, message_field_menu_of_a_plain_client_has_no_kick_or_ban) {
    MenuContext context = ThreeUsers();
    context.fileSending = true;
    const auto menu = BuildMessageFieldMenu(context);
    EXPECT_EQ(Submenu(*menu, "Kick user"), nullptr);
    EXPECT_EQ(Submenu(*menu, "Ban user"), nullptr);
    EXPECT_EQ(Submenu(*menu, "Group"), nullptr);
    EXPECT_EQ(Items(*Submenu(*menu, "Transfer to")), QStringList({"!ann=1000", "!bob=1002"}));
}

TEST_F(Menus, names_are_shown_from_windows_1252) {
    MenuContext context;
    context.users = {{"J\xFCrgen", 3, false, false, false}, {"x", 4, false, false, false}};
    const auto menu = BuildUserMenu(context, 0);
    EXPECT_EQ(menu->actions().front()->text(), QString::fromUtf8("User &Details Jürgen\tAlt+D"));
}

}  // namespace
}  // namespace talvoro::ui
