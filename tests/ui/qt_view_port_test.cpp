#include "ui/qt_view_port.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <vector>

#include "app/identifiers.h"
#include "ui/chat_view_widget.h"
#include "ui/status_bar.h"
#include "ui/tab_views.h"
#include "ui/ui_fixture.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {
namespace {

class QtViewPortTest : public ::testing::Test {
  protected:
    void SetUp() override { window = test::MakeWindow(state); }

    app::ProcessState state;
    std::unique_ptr<MainWindow> window;
};

TEST_F(QtViewPortTest, renders_documents_into_the_named_view) {
    QtViewPort port(*window);
    chat::ChatDocument document;
    chat::TextRun run;
    run.text = "** Topic <x> has been spawned\n";
    document.Append(run);
    port.RunsAppended(501, document, 0);
    EXPECT_EQ(window->View(501).toPlainText(), QStringLiteral("** Topic <x> has been spawned\n"));
    EXPECT_TRUE(window->View(chat::kMainView).toPlainText().isEmpty());
    document.Clear();
    port.DocumentReplaced(501, document);
    EXPECT_TRUE(window->View(501).toPlainText().isEmpty());
    port.ScrollToEnd(503);  // a view that does not exist yet: nothing happens
    EXPECT_EQ(window->Tabs().FindView(503), nullptr);
}

TEST_F(QtViewPortTest, writes_status_fields_from_windows_1252) {
    QtViewPort port(*window);
    port.SetStatusField(chat::StatusField::UsersOnline, "Clients: 3");
    port.SetStatusField(chat::StatusField::ServerMessage, "caf\xE9");
    EXPECT_EQ(window->Status().Field(chat::StatusField::UsersOnline), QStringLiteral("Clients: 3"));
    EXPECT_EQ(window->Status().Field(chat::StatusField::ServerMessage), QString::fromUtf8("café"));
}

TEST_F(QtViewPortTest, drives_tabs_user_rows_and_actions) {
    QtViewPort port(*window);
    port.TabInserted(1, "Topic A", 501);
    port.TabRenamed(1, "Topic B");
    port.SetTabUnread(1, true);
    port.TabSelected(1, 501);
    EXPECT_EQ(window->Tabs().Bar().tabText(1), QStringLiteral("Topic B"));
    EXPECT_TRUE(window->Tabs().IsUnread(1));
    EXPECT_EQ(window->Tabs().CurrentViewNumber(), 501);
    port.TabRemoved(1);
    EXPECT_EQ(window->Tabs().TabCount(), 1);
    // The core announces the tabs the window built already: no second "Main".
    port.TabInserted(0, "Main", chat::kMainView);
    EXPECT_EQ(window->Tabs().TabCount(), 1);

    const std::vector<chat::UserRow> rows = {{"ann", 4, 0, chat::RowIcon::Normal, true, false}};
    port.UserListChanged(rows, 0);
    EXPECT_EQ(window->UserList().RowCount(), 1);
    EXPECT_TRUE(window->UserList().IsTicked(0));
    chat::UserActions actions;
    actions.details = true;
    port.SetUserActions(actions);
    EXPECT_EQ(window->UserActions(), actions);

    port.SetMainWindowEnabled(false);
    EXPECT_FALSE(window->isEnabled());
    port.SetMainWindowEnabled(true);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(QtViewPortTest, ask_returns_the_button_pressed_and_no_when_closed) {
    QtViewPort port(*window);
    const auto answerWith = [](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [button] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (button == QMessageBox::NoButton) {
                    box->reject();
                } else {
                    box->button(button)->click();
                }
            }
        });
    };
    chat::Question question{"Talvoro: Server Reminder", "Quit?", chat::MessageButtons::YesNo,
                            chat::MessageIcon::Question};
    answerWith(QMessageBox::Yes);
    EXPECT_EQ(port.Ask(question), chat::MessageAnswer::Yes);
    answerWith(QMessageBox::NoButton);
    EXPECT_EQ(port.Ask(question), chat::MessageAnswer::No);
    question.buttons = chat::MessageButtons::OkCancel;
    answerWith(QMessageBox::Ok);
    EXPECT_EQ(port.Ask(question), chat::MessageAnswer::Ok);
    answerWith(QMessageBox::NoButton);
    EXPECT_EQ(port.Ask(question), chat::MessageAnswer::Cancel);
}

TEST_F(QtViewPortTest, information_boxes_do_not_block) {
    QtViewPort port(*window);
    port.ShowInformation("Topic Info: Main", "Topic Index: #500 (1/5)");
    const auto boxes = window->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.front()->windowTitle(), QStringLiteral("Topic Info: Main"));
    EXPECT_FALSE(boxes.front()->isModal());
}

}  // namespace
}  // namespace talvoro::ui
