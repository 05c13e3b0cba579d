#include "ui/menus.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QStringList>
#include <functional>

#include "support/qt_app.h"
#include "ui/identifiers.h"

namespace talvoro::ui {
namespace {

namespace cmd = app::cmd;

// The items of a menu as "text=number" (submenus as "[title]", separators as "-"); disabled items
// with a leading "!", checked ones with a trailing "*".
QStringList Items(const QMenu& menu) {
    QStringList items;
    for (const QAction* action : menu.actions()) {
        QString item = action->isSeparator() ? QStringLiteral("-")
                       : action->menu() != nullptr
                           ? "[" + action->text() + "]"
                           : action->text() + "=" + QString::number(MenuEvent(action));
        if (!action->isSeparator() && !action->isEnabled()) {
            item.prepend(QLatin1Char('!'));
        }
        if (action->isChecked()) {
            item.append(QLatin1Char('*'));
        }
        items << item;
    }
    return items;
}

const QMenu* Submenu(const QMenu& menu, const QString& title) {
    for (const QAction* action : menu.actions()) {
        if (action->menu() != nullptr && action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

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

struct MenuCase {
    const char* name;
    std::function<std::unique_ptr<QMenu>()> build;
    QStringList items;
    std::vector<std::pair<QString, QStringList>> submenus;
};

class Menus : public ::testing::TestWithParam<MenuCase> {
  protected:
    void SetUp() override { talvoro::test::QtApp(); }
};

TEST_P(Menus, have_their_items_numbers_and_enabling) {
    const MenuCase& c = GetParam();
    const std::unique_ptr<QMenu> menu = c.build();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Items(*menu), c.items);
    for (const auto& [title, items] : c.submenus) {
        const QMenu* submenu = Submenu(*menu, title);
        ASSERT_NE(submenu, nullptr) << title.toStdString();
        EXPECT_EQ(Items(*submenu), items) << title.toStdString();
    }
}

const QStringList kTray = {"&About\tAlt-A=1",
                           "-",
                           "&Hide/Show\tAlt-H=2",
                           "&Open Transfer Dir\tAlt-O=3",
                           "-",
                           "Toggle Awa&y Status\tAlt-Y=5",
                           "-"};
const QStringList kOwnItems = {"&Open Transfer Dir\tAlt+O=3", "-", "Toggle Awa&y Status\tAlt+Y=5",
                               "-"};
const QStringList kGroup = {"Whisper=400", "Transfer=401",   "Reject=402",
                            "-",           "Select All=404", "Clear All=405"};

const MenuCase kCases[] = {
    {"tray", [] { return BuildTrayMenu(false); }, kTray + QStringList{"&Quit\tAlt-Q=4"}, {}},
    {"tray_service",
     [] { return BuildTrayMenu(true); },
     kTray + QStringList{"!&Quit\tAlt-Q=4"},
     {}},
    {"text_view",
     [] { return BuildTextViewMenu(); },
     {"&Find Text\tAlt-F=200", "-", "[Selection]", "-", "&Save Session\tAlt-S=204"},
     {{"Selection",
       {"Select All\tCtrl-A=201", "Clear Selection=202", "-", "&Copy to Clipboard\tCtrl-C=203"}}}},
    {"topic_without_topics",
     [] { return BuildTopicMenu(Topics(false, true, {})); },
     {"Topic &Info\tAlt+I=300", "-", "&Clear Topic Content\tAlt+C=302", "-",
      "Private &Group\tAlt+G=303*", "-", "Spaw&n Topic\tAlt+N=304"},
     {}},
    // Spawning is grey with three topics; closing needs the own or no owner, or the server.
    {"topic_client_three_topics",
     [] {
         return BuildTopicMenu(Topics(false, false, {{"mine", 7}, {"theirs", 12}, {"orphan", 0}}));
     },
     {"Topic &Info\tAlt+I=300", "-", "&Clear Topic Content\tAlt+C=302", "-",
      "Private &Group\tAlt+G=303", "-", "!Spaw&n Topic\tAlt+N=304", "[Close Topic]"},
     {{"Close Topic", {"mine=311", "!theirs=312", "orphan=313"}}}},
    {"topic_server_two_topics",
     [] {
         return BuildTopicMenu(Topics(true, true, {{"mine", 7}, {"theirs", 12}}));
     },
     {"Topic &Info\tAlt+I=300", "-", "&Clear Topic Content\tAlt+C=302", "-",
      "Private &Group\tAlt+G=303*", "-", "Spaw&n Topic\tAlt+N=304", "[Close Topic]"},
     {{"Close Topic", {"mine=311", "theirs=312"}}}},
    // User items carry the row position, not the network id.
    {"user_row",
     [] { return BuildUserMenu(Users(false, false, false), 0); },
     {"User &Details ann\tAlt+D=6000", "-", "-", "&Transfer to ann\tAlt+T=1000", "-",
      "&Whisper to ann\tAlt+W=2000", "-", "Toggle &reject ann\tAlt+R=5000"},
     {}},
    {"user_row_while_sending",
     [] { return BuildUserMenu(Users(false, false, true), 0); },
     {"User &Details ann\tAlt+D=6000", "-", "-", "!&Transfer to ann\tAlt+T=1000", "-",
      "&Whisper to ann\tAlt+W=2000", "-", "Toggle &reject ann\tAlt+R=5000"},
     {}},
    {"user_own_row",
     [] { return BuildUserMenu(Users(true, false, false), 1); },
     QStringList{"User &Details me\tAlt+D=6001", "-"} + kOwnItems +
         QStringList{"-", "!&Transfer to me\tAlt+T=1001", "-", "!&Whisper to me\tAlt+W=2001", "-",
                     "!Toggle &reject me\tAlt+R=5001"},
     {}},
    {"user_who_rejects_me_on_the_server",
     [] { return BuildUserMenu(Users(true, true, false), 2); },
     {"User &Details bob\tAlt+D=6002", "-", "[Group]", "-", "!&Transfer to bob\tAlt+T=1002", "-",
      "!&Whisper to bob\tAlt+W=2002", "-", "Toggle &reject bob\tAlt+R=5002*", "-", "Kick bob=3002",
      "Ban bob=4002"},
     {{"Group", kGroup}}},
    {"message_field_own_user_only",
     [] {
         MenuContext context = Users(true, false, false);
         context.users = {context.users[1]};
         return BuildMessageFieldMenu(context);
     },
     QStringList{"[User Details]", "-"} + kOwnItems,
     {{"User Details", {"me=6000"}}}},
    {"message_field_server",
     [] { return BuildMessageFieldMenu(Users(true, true, false)); },
     QStringList{"[User Details]", "-"} + kOwnItems +
         QStringList{"[Group]", "-", "[Transfer to]", "-", "[Whisper to]", "-", "[Reject]", "-",
                     "[Kick user]", "[Ban user]"},
     {{"User Details", {"ann=6000", "me=6001", "bob=6002"}},
      {"Group", kGroup},
      {"Transfer to", {"ann=1000", "!bob=1002"}},
      {"Whisper to", {"ann=2000", "!bob=2002"}},
      {"Reject", {"ann=5000", "bob=5002*"}},
      {"Kick user", {"ann=3000", "bob=3002"}},
      {"Ban user", {"ann=4000", "bob=4002"}}}},
    {"message_field_plain_client_while_sending",
     [] { return BuildMessageFieldMenu(Users(false, false, true)); },
     QStringList{"[User Details]", "-"} + kOwnItems +
         QStringList{"-", "[Transfer to]", "-", "[Whisper to]", "-", "[Reject]"},
     {{"Transfer to", {"!ann=1000", "!bob=1002"}}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, Menus, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<MenuCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(UserMenu, exists_only_for_a_listed_row_and_shows_names_from_windows_1252) {
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
