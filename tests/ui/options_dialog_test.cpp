#include "ui/options_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidgetItem>
#include <memory>
#include <string>
#include <vector>

#include "chat/chat_fixture.h"
#include "net/messages_status.h"
#include "ui/command_wiring.h"
#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/qt_view_port.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {
namespace {

using Form = app::OptionsForm;

// The main window wired to a chat client, as the run loop wires it, with every side effect of
// the Options dialog recorded by name. The first row is the server's user, in colour.
class OptionsWiringTest : public test::ChatFixture {
  protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(state, EmbeddedImages(), MainWindowSetup{});
        port = std::make_unique<QtViewPort>(*window);
        StartClient(port.get());
        const auto record = [this](const char* name) {
            return [this, name] { calls.push_back(name); };
        };
        AppCommandActions actions;
        actions.saveSettings = record("save");
        actions.stopKeepAlive = record("stopKeepAlive");
        actions.restartAwayTimer = record("restartAwayTimer");
        actions.startFileServer = record("startFileServer");
        actions.awayReset = record("awayReset");
        actions.stopFileServer = [this] {  // stopped before the server hears "1"
            calls.push_back(link.sent.empty() ? "stopFileServer" : "stopFileServer late");
        };
        WireCommands(*window, *client, actions);
        Welcome();
    }
    void TearDown() override { QApplication::closeAllWindows(); }

    static OptionsDialog* OpenBox() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<OptionsDialog*>(widget);
                box != nullptr && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }
    OptionsDialog& OpenDialog() {
        window->Dispatch(app::cmd::kPreferences);
        OptionsDialog* dialog = OpenBox();
        EXPECT_NE(dialog, nullptr);
        EXPECT_FALSE(window->isEnabled());
        return *dialog;
    }
    void Close() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    QColor RowColour() const { return window->UserList().topLevelItem(0)->foreground(0).color(); }

    std::vector<std::string> calls;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QtViewPort> port;
};

TEST_F(OptionsWiringTest, controls_load_from_the_settings_and_enable_each_other) {
    state.settings.FileServerHalt = 1;
    state.settings.AwayMessage = 0;
    OptionsDialog& dialog = OpenDialog();
    EXPECT_TRUE(dialog.Check(&Form::fileReceiveOff)->isChecked());
    EXPECT_FALSE(dialog.Check(&Form::autoOpen)->isEnabled());
    EXPECT_FALSE(dialog.Check(&Form::keepAlive)->isEnabled());  // a client: no server functions
    EXPECT_FALSE(dialog.CycleField().isEnabled());

    QTest::mouseClick(dialog.Check(&Form::fileReceiveOff), Qt::LeftButton);
    QTest::mouseClick(dialog.Check(&Form::awayMessage), Qt::LeftButton);
    EXPECT_TRUE(dialog.Check(&Form::autoPlay)->isEnabled());
    EXPECT_TRUE(dialog.MinutesField().isEnabled());
    EXPECT_TRUE(dialog.AwayTextField().isEnabled());
}

TEST_F(OptionsWiringTest, save_applies_recolours_the_list_tells_the_server_and_writes_last) {
    const QColor coloured = RowColour();
    OptionsDialog& dialog = OpenDialog();
    dialog.Check(&Form::listUserColors)->setChecked(false);
    dialog.Check(&Form::fileReceiveOff)->setChecked(true);
    dialog.MinutesField().setText(QStringLiteral("0"));
    dialog.Check(&Form::awayMessage)->setChecked(false);
    QTest::keyClick(&dialog.MinutesField(), Qt::Key_Return);  // Enter saves
    Close();

    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(OpenBox(), nullptr);
    EXPECT_NE(RowColour(), coloured);
    EXPECT_EQ(link.sent, std::vector<std::string>{net::FileReceiveStatusToServer{true}.Encode()});
    EXPECT_EQ(calls,
              (std::vector<std::string>{"stopFileServer", "stopKeepAlive", "awayReset", "save"}));

    calls.clear();
    OptionsDialog& again = OpenDialog();
    again.Check(&Form::listUserColors)->setChecked(true);
    again.Check(&Form::fileReceiveOff)->setChecked(false);
    QTest::mouseClick(again.findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
    EXPECT_EQ(RowColour(), coloured);
    EXPECT_EQ(calls, (std::vector<std::string>{"startFileServer", "stopKeepAlive", "save"}));
}

TEST_F(OptionsWiringTest, cancel_and_escape_leave_settings_and_file_alone) {
    const Form before = app::OptionsFormOf(state.settings);
    for (const bool escape : {false, true}) {
        OptionsDialog& dialog = OpenDialog();
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
            box->setChecked(!box->isChecked());
        }
        dialog.CycleField().setText(QStringLiteral("5"));
        if (escape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancelButton")),
                              Qt::LeftButton);
        }
        Close();
        EXPECT_TRUE(window->isEnabled());
    }
    EXPECT_EQ(app::OptionsFormOf(state.settings), before);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(OptionsWiringTest, user_details_box_is_built_by_a_worker_and_shown_on_this_thread) {
    window->Dispatch(app::cmd::kDetailsRowBase + 0);
    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (box = window->findChild<QMessageBox*>("userDetailsBox")) != nullptr; },
        5000));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("User Detail: srv"));
    EXPECT_TRUE(window->isEnabled());  // the chat goes on beside it
}

}  // namespace
}  // namespace talvoro::ui
