// The topic tabs through the real window: the chat core's announcements rendered by QtViewPort
// into the tab bar, its views, unread icons and Alt+digit shortcuts; the spawn dialog; Alt+0.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "chat/chat_fixture.h"
#include "ui/chat_view_widget.h"
#include "ui/code_page_text.h"
#include "ui/command_wiring.h"
#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_shortcuts.h"
#include "ui/main_window.h"
#include "ui/qt_view_port.h"
#include "ui/tab_views.h"
#include "ui/topic_dialog.h"

namespace talvoro::ui {
namespace {

class TopicTabs : public test::ChatFixture {
  protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(state, EmbeddedImages(), MainWindowSetup{});
        port = std::make_unique<QtViewPort>(*window);
        StartClient(port.get());
        WireCommands(*window, *client, {});
        client->SetPrivateVisible(true);
        Welcome();
    }
    void TearDown() override {
        window->SetTabSwitchHandler({});
        window.reset();
    }

    // Each tab as caption:view, ">" before the selected one and "*" after an unread icon; then
    // UnreadTabs and which of Alt+0..Alt+4 are enabled.
    std::string Describe() const {
        const TabViews& tabs = window->Tabs();
        std::string text;
        for (int i = 0; i < tabs.TabCount(); ++i) {
            text += (tabs.Bar().currentIndex() == i ? ">" : "") + FromQt(tabs.Bar().tabText(i)) +
                    ":" + std::to_string(tabs.ViewOfTab(i)) + (tabs.IsUnread(i) ? "* " : " ");
        }
        for (const auto flag : state.UnreadTabs) {
            text += flag != 0 ? '1' : '0';
        }
        text += ' ';
        for (const char digit : std::string("01234")) {
            const QKeySequence keys(QStringLiteral("Alt+") + QLatin1Char(digit));
            text += window->Shortcuts().IsEnabled(keys) ? digit : '-';
        }
        return text;
    }

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QtViewPort> port;
};

TEST_F(TopicTabs, announcements_place_tabs_views_selection_unread_marks_and_shortcuts) {
    // o: open <title> (owner 5), c: close <position>, m: a message on tab <position>,
    // u: mark tab unread, x: select tab, h/s: hide/show Private Group.
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"oA", ">Main:500 A:501 Private Group:504 000000 012--"},
        {"m1", ">Main:500 A:501 Private Group:504 000000 012--"},
        {"u1", ">Main:500 A:501* Private Group:504 010000 012--"},
        {"x2", "Main:500 A:501* >Private Group:504 010000 012--"},
        {"oB", "Main:500 A:501* B:502 >Private Group:504 010000 0123-"},
        {"u3", "Main:500 A:501* B:502 >Private Group:504* 010100 0123-"},
        {"oC", "Main:500 A:501* B:502 C:503 >Private Group:504* 010010 01234"},
        {"oD", "Main:500 A:501* B:502 C:503 >Private Group:504* 010010 01234"},
        {"x2", "Main:500 A:501* >B:502 C:503 Private Group:504* 010010 01234"},
        {"c2", "Main:500 >A:501* C:503 Private Group:504* 010100 0123-"},
        {"c1", ">Main:500 C:503 Private Group:504* 001000 012--"},
        {"c9", ">Main:500 C:503 Private Group:504* 001000 012--"},
        {"x2", "Main:500 C:503 >Private Group:504* 001000 012--"},
        {"h", "Main:500 >C:503 001000 012--"},
        {"oE", "Main:500 >C:503 E:501 000100 0123-"},  // the view closed last, emptied
        {"s", "Main:500 >C:503 E:501 Private Group:504* 000100 0123-"},
    };
    for (const auto& [action, expected] : steps) {
        const std::string arg = action.substr(1);
        switch (action[0]) {
            case 'o':
                Receive(net::TopicOpen{5, arg, false, {}}.Encode());
                break;
            case 'c':
                Receive(net::TopicClose{5, std::stoi(arg)}.Encode());
                break;
            case 'm':
                Receive(net::PublicMessage{5, "text"}.Encode(),
                        static_cast<std::int8_t>(std::stoi(arg)));
                break;
            case 'u':
                client->MarkTabUnread(std::stoi(arg));
                break;
            case 'x':
                client->SelectTab(std::stoi(arg));
                break;
            default:
                client->SetPrivateVisible(action == "s");
        }
        EXPECT_EQ(Describe(), expected) << action;
        const int selected = window->Tabs().Bar().currentIndex();
        EXPECT_EQ(link.selectedTab, selected) << action;  // the topic byte of the next frames
        EXPECT_EQ(window->Tabs().CurrentViewNumber(), window->Tabs().ViewOfTab(selected));
    }
    client->SelectTab(2);
    EXPECT_TRUE(window->View(501).toPlainText().isEmpty());
    EXPECT_TRUE(window->View(501).isVisibleTo(window.get()));
    EXPECT_FALSE(window->View(500).isVisibleTo(window.get()));
    EXPECT_EQ(window->View(501).geometry(), window->CurrentRects().textView);
}

TEST_F(TopicTabs, spawn_dialog_refuses_empty_and_existing_titles_and_sends_the_cleaned_one) {
    Receive(net::TopicOpen{5, "Taken", false, {}}.Encode());
    window->Dispatch(app::cmd::kSpawnTopic);
    auto* dialog = window->findChild<TopicDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Enter Topic Title ..."));
    EXPECT_EQ(dialog->StatusLine().text(), QStringLiteral("Ready to roll."));
    struct Case {
        const char* typed;
        const char* status;
    };
    for (const Case c : {Case{"   ", "Topic title cannot be empty!"},
                         Case{" Taken ", "Topic title already exists!"},
                         Case{"Private Group", "Topic title already exists!"}}) {
        dialog->TitleField().setText(QString::fromLatin1(c.typed));
        dialog->AnnounceButton().click();
        EXPECT_EQ(dialog->StatusLine().text(), QString::fromLatin1(c.status)) << c.typed;
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_TRUE(link.sent.empty());
    dialog->TitleField().setText(QStringLiteral("  R&D  "));
    dialog->StickyBox().setChecked(true);
    dialog->AnnounceButton().click();
    EXPECT_EQ(link.sent, (std::vector<std::string>{net::TopicOpenToServer{"R+D", true}.Encode()}));
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TopicTabs, alt_0_brings_back_the_hidden_private_tab_and_selects_it) {
    client->SetPrivateVisible(false);
    ASSERT_EQ(Describe(), ">Main:500 000000 01---");
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_0, Qt::AltModifier);
    EXPECT_EQ(Describe(), "Main:500 >Private Group:504 000000 01---");
    EXPECT_EQ(window->Tabs().CurrentViewNumber(), chat::kPrivateView);
    EXPECT_EQ(state.settings.IsPrivateVisible, 1);
}

TEST_F(TopicTabs, copy_puts_the_selection_on_the_clipboard_with_cr_lf_line_ends) {
    client->ClearCurrentView();
    client->WriteServerLine("one\ntwo\nthree", false);
    window->Dispatch(app::cmd::kSelectAll);
    window->Dispatch(app::cmd::kCopy);
    EXPECT_EQ(FromQt(QGuiApplication::clipboard()->text()), "one\r\ntwo\r\nthree\r\n");
}

}  // namespace
}  // namespace talvoro::ui
