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

#include "app/identifiers.h"
#include "chat/chat_fixture.h"
#include "support/qt_app.h"
#include "ui/chat_view_widget.h"
#include "ui/command_wiring.h"
#include "ui/images.h"
#include "ui/main_shortcuts.h"
#include "ui/main_window.h"
#include "ui/qt_view_port.h"
#include "ui/tab_views.h"
#include "ui/text_edge.h"
#include "ui/topic_dialog.h"

namespace talvoro::ui {
namespace {

using K = net::MessageKind;
using test::Payload;

class TopicTabs : public test::ChatFixture {
  protected:
    void SetUp() override {
        test::QtApp();
        RegisterEmbeddedImages(images);
        window = std::make_unique<MainWindow>(state, images, MainWindowSetup{});
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

    // "Main|A|Private Group": the captions of the bar.
    std::string Captions() const {
        std::string text;
        for (int i = 0; i < window->Tabs().TabCount(); ++i) {
            text += (i == 0 ? "" : "|") + FromQt(window->Tabs().Bar().tabText(i));
        }
        return text;
    }
    std::string Views() const {
        std::string text;
        for (int i = 0; i < window->Tabs().TabCount(); ++i) {
            text += (i == 0 ? "" : " ") + std::to_string(window->Tabs().ViewOfTab(i));
        }
        return text;
    }
    // The unread icon of each tab, then "/", then UnreadTabs.
    std::string Unread() const {
        std::string text;
        for (int i = 0; i < window->Tabs().TabCount(); ++i) {
            text += window->Tabs().IsUnread(i) ? '1' : '0';
        }
        text += '/';
        for (const auto flag : state.UnreadTabs) {
            text += flag != 0 ? '1' : '0';
        }
        return text;
    }
    // Which of Alt+0..Alt+4 are enabled.
    std::string Shortcuts() const {
        std::string text;
        for (const char digit : std::string("01234")) {
            const QKeySequence keys(QStringLiteral("Alt+") + QLatin1Char(digit));
            text += window->Shortcuts().IsEnabled(keys) ? digit : '-';
        }
        return text;
    }

    ImageStore images;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QtViewPort> port;
};

TEST_F(TopicTabs, announcements_place_tabs_views_unread_marks_and_shortcuts) {
    struct Step {
        std::string action;  // o: open <title> (owner 5), c: close <position>, u: mark unread,
                             // h/s: hide/show Private Group
        std::string captions, views, unread, shortcuts;
    };
    const std::vector<Step> steps = {
        {"oA", "Main|A|Private Group", "500 501 504", "000/000000", "012--"},
        {"u2", "Main|A|Private Group", "500 501 504", "001/001000", "012--"},
        {"oB", "Main|A|B|Private Group", "500 501 502 504", "0001/000100", "0123-"},
        {"u1", "Main|A|B|Private Group", "500 501 502 504", "0101/010100", "0123-"},
        {"oC", "Main|A|B|C|Private Group", "500 501 502 503 504", "01001/010010", "01234"},
        {"oD", "Main|A|B|C|Private Group", "500 501 502 503 504", "01001/010010", "01234"},
        {"c1", "Main|B|C|Private Group", "500 502 503 504", "0001/000100", "0123-"},
        {"c9", "Main|B|C|Private Group", "500 502 503 504", "0001/000100", "0123-"},
        {"h", "Main|B|C", "500 502 503", "000/000100", "0123-"},
        {"oE", "Main|B|C|E", "500 502 503 501", "0000/000010", "01234"},
        {"s", "Main|B|C|E|Private Group", "500 502 503 501 504", "00001/000010", "01234"},
        {"c3", "Main|B|C|Private Group", "500 502 503 504", "0001/000100", "0123-"},
        {"c1", "Main|C|Private Group", "500 503 504", "001/001000", "012--"},
        {"oF", "Main|C|F|Private Group", "500 503 502 504", "0001/000100", "0123-"},
        {"oG", "Main|C|F|G|Private Group", "500 503 502 501 504", "00001/000010", "01234"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        const std::string arg = step.action.substr(1);
        switch (step.action[0]) {
            case 'o':
                Receive(Payload(K::TopicOpen, {"5", arg, "0"}));
                break;
            case 'c':
                Receive(Payload(K::TopicClose, {"5", arg}));
                break;
            case 'u':
                client->MarkTabUnread(std::stoi(arg));
                break;
            default:
                client->SetPrivateVisible(step.action == "s");
        }
        EXPECT_EQ(Captions(), step.captions);
        EXPECT_EQ(Views(), step.views);
        EXPECT_EQ(Unread(), step.unread);
        EXPECT_EQ(Shortcuts(), step.shortcuts);
    }
    // A reused view starts empty and hidden; the current one sits where the layout puts it.
    client->SelectTab(2);
    EXPECT_EQ(window->Tabs().CurrentViewNumber(), 502);
    EXPECT_TRUE(window->View(502).toPlainText().isEmpty());
    EXPECT_FALSE(window->View(500).isVisibleTo(window.get()));
    EXPECT_EQ(window->View(502).geometry(), window->CurrentRects().textView);
}

TEST_F(TopicTabs, spawn_dialog_refuses_empty_and_existing_titles_and_sends_the_cleaned_one) {
    Receive(Payload(K::TopicOpen, {"5", "Taken", "0"}));
    window->Dispatch(app::cmd::kSpawnTopic);
    auto* dialog = window->findChild<TopicDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Enter Topic Title ..."));
    EXPECT_EQ(dialog->StatusLine().text(), QStringLiteral("Ready to roll."));
    EXPECT_EQ(dialog->TitleField().maxLength(), 24);
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
    EXPECT_EQ(link.sent, std::vector<std::string>{Payload(K::TopicOpen, {"R+D", "1"})});
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TopicTabs, alt_0_brings_back_the_hidden_private_tab_and_selects_it) {
    client->SetPrivateVisible(false);
    ASSERT_EQ(Captions(), "Main");
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_0, Qt::AltModifier);
    EXPECT_EQ(Captions(), "Main|Private Group");
    EXPECT_EQ(window->Tabs().Bar().currentIndex(), 1);
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
