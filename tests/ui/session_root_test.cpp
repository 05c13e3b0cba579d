// The session root on Qt's event loop, against a server socket on loopback that the test drives by
// hand. A script of steps runs inside the loop; each step waits (bounded) for its condition, then
// acts.

#include "ui/session_root.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <csignal>

#include "app/exit_codes.h"
#include "net/frame.h"
#include "net/messages.h"
#include "net/transport.h"
#include "support/program_process.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/event_script.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/message_field.h"
#include "ui/qt_gui_queue.h"
#include "ui/status_bar.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {
namespace {

using test::EventScript;

class SessionRootTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(listener.Listen(0, "127.0.0.1"));
        state.DataDir = data.dir();
        state.Log.emplace(data.file("Talvoro.log"));
        state.settings.UserName = "bob";
        state.settings.Host = "127.0.0.1";
        state.settings.Port = listener.LocalPort();
        state.settings.AwayMessage = 0;
        state.settings.FlashOnMessage = 0;
        services.gui = &gui;
    }

    std::vector<std::string> Log() const {
        return talvoro::test::LogLines(data.file("Talvoro.log"));
    }
    // Non-blocking: true once the client is accepted.
    bool Accepted() {
        if (!client.valid()) {
            client = listener.Accept();
        }
        return client.valid();
    }
    void Send(const std::string& payload) {
        ASSERT_TRUE(net::NetSend(client.fd(), *net::EncodeFrame(0, payload)));
    }
    // Runs the loop with `script` and expects a normal end with every step taken.
    void RunToTheEnd(SessionRoot& loop) {
        EXPECT_EQ(loop.Run(), app::kExitNormal);
        EXPECT_TRUE(script.Finished()) << "waiting for: " << script.Waiting();
        EXPECT_FALSE(script.TimedOut());
    }

    QApplication& qtApp = talvoro::test::QtApp();  // before the script's timer
    talvoro::test::TempDir data;
    app::ProcessState state;
    QtGuiQueue gui;
    RunServices services;
    EventScript script{[this] { state.QuitRequested = true; }};
    net::Listener listener;
    net::Socket client;  // the program's connection, server side
};

// Ticks, new content, the focus after a row click and a tab switch; then the lost server's
// question, which SIGTERM cancels: the program ends in order without a new instance.
TEST_F(SessionRootTest, client_session_ticks_marks_new_content_and_asks_when_the_server_is_lost) {
    app::TerminationSignals termination;
    services.termination = &termination;
    SessionRoot loop(state, services);
    const auto field = [&loop](chat::StatusField f) {
        return loop.Window()->Status().Field(f).toStdString();
    };
    const auto inputFocused = [&loop] {
        return QApplication::focusWidget() == &loop.Window()->Input();
    };
    script.Step("accepted", [&] { return Accepted(); })
        .Step(
            "window shown and active",
            [&] { return loop.Window() != nullptr && loop.Window()->isActiveWindow(); },
            [&] {
                Send(net::UserRoster{{{2, 0, "bob", 0, "", 1600}}, 1600}.Encode());
            })
        .Step(
            "first tick",
            [&] {
                return field(chat::StatusField::Uptime).starts_with("Running: 0d00h00m0") &&
                       field(chat::StatusField::Messages) == "Total Messages: 1";
            },
            [&] {
                UserListWidget& list = loop.Window()->UserList();
                list.setFocus();
                list.clearSelection();  // the user's own change of the selection
                EXPECT_TRUE(inputFocused());
                list.setFocus();
                loop.Window()->Dispatch(app::cmd::kSelectTabBase);  // Alt+1
                EXPECT_TRUE(inputFocused());
                Send(net::ServerNotice{"** notice one"}.Encode());
            })
        .Step(
            "new content marked",
            [&] { return state.MessageCount == 2 && state.UnreadTabs[0] == 1; },
            [&] { client.reset(); })
        .Dialog("Talvoro: Network Troubles", [](QWidget&) { std::raise(SIGTERM); });
    RunToTheEnd(loop);
    const std::vector<std::string> lines = Log();
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(lines[0].ends_with(" INFO: Running as CLIENT")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" INFO: Terminated")) << lines[1];
}

// The server refuses and closes at once, as it does: the refusal's box is the only box, also
// while the close is read behind it, and OK ends the program in order.
TEST_F(SessionRootTest, refusal_then_close_shows_one_box_and_ends_without_a_reconnect_question) {
    SessionRoot loop(state, services);
    QPointer<QWidget> refusal;
    QElapsedTimer boxOpen;
    script
        .Step(
            "accepted", [&] { return Accepted(); },
            [&] {
                Send(net::Refusal{"** Server has been terminated!"}.Encode());
                client.reset();
            })
        .Dialog(QStringLiteral("Talvoro: Error connecting to server"),
                [&](QWidget& box) {
                    refusal = &box;
                    boxOpen.start();
                })
        .Step(
            "box open a while",  // the close is read meanwhile; a settle, not asserted
            [&] { return boxOpen.isValid() && boxOpen.elapsed() > 500; },
            [&] {
                EXPECT_TRUE(state.QuitRequested.load());
                ASSERT_EQ(QApplication::activeModalWidget(), refusal.data());  // nothing on top
                QTest::keyClick(refusal.data(), Qt::Key_Return);
            });
    RunToTheEnd(loop);
    const std::vector<std::string> lines = Log();
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(lines[1].ends_with(" INFO: Terminated")) << lines[1];
}

}  // namespace
}  // namespace talvoro::ui
