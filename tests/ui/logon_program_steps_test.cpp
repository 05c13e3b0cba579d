// The logon step with the real session and server steps, on loopback only.

#include <gtest/gtest.h>
#include <signal.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/exit_codes.h"
#include "net/transport.h"
#include "support/program_process.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/modal_driver.h"
#include "ui/program_steps.h"

namespace talvoro::ui {
namespace {

using test::ModalDriver;

// The real steps, but the own server's "Host" is the loopback address, so that the test's traffic
// stays on 127.0.0.0/8 whatever this machine's name resolves to.
class LoopbackProgramSteps : public ProgramLogonSteps {
  public:
    using ProgramLogonSteps::ProgramLogonSteps;
    std::string HostName() override { return "127.0.0.1"; }
};

class ProgramSteps : public ::testing::Test {
  protected:
    void SetUp() override {
        talvoro::test::QtApp();
        state.DataDir = data.dir();
        state.Log.emplace(data.file("Talvoro.log"));
        state.settings.UserName = "bob";
        state.settings.AwayMessage = 0;
        options.dialogServices.addresses = [] { return std::vector<std::string>{}; };
        options.dialogServices.hostName = [] { return std::string{"thishost"}; };
        options.anonymousNumber = [] { return 1; };
    }

    static void Click(QWidget& dialog, const char* button) {
        auto* found = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(found, nullptr) << button;
        QTest::mouseClick(found, Qt::LeftButton);
    }

    // Connect in the logon dialog, note the failure text, cancel the failure dialog and then the
    // logon dialog: the whole road of a failed attempt.
    int RunFailingAttempt(QString& failureText, std::vector<QString>& seen) {
        ProgramLogonSteps steps(state, nullptr, 3000);
        ModalDriver driver;
        driver.Then(QStringLiteral("logonDialog"), [](QWidget& d) { Click(d, "connectButton"); })
            .Then(QStringLiteral("connectionFailureDialog"),
                  [&](QWidget& d) {
                      if (auto* label = d.findChild<QLabel*>(QStringLiteral("failureText"))) {
                          failureText = label->text();
                      }
                      Click(d, "cancelButton");
                  })
            .Then(QStringLiteral("logonDialog"), [](QWidget& d) { Click(d, "cancelButton"); });
        const int code = RunLogon(state, steps, options);
        seen = driver.Seen();
        return code;
    }

    talvoro::test::TempDir data;
    app::ProcessState state;
    LogonOptions options;
};

TEST_F(ProgramSteps, host_that_does_not_resolve_leads_to_the_failure_dialog) {
    state.settings.Host = "no-such-host.invalid";
    state.settings.Port = 1805;
    QString failureText;
    std::vector<QString> seen;
    EXPECT_EQ(RunFailingAttempt(failureText, seen), app::kExitLogonCancelled);
    ASSERT_EQ(seen.size(), 3U);
    EXPECT_EQ(failureText,
              QStringLiteral("Connecting to host *no-such-host.invalid:1805* failed."));
    // Nothing was built or logged for the failed attempt.
    EXPECT_EQ(talvoro::test::LogLines(data.file("Talvoro.log")).size(), 0U);
}

TEST_F(ProgramSteps, refused_connection_leads_to_the_failure_dialog) {
    state.settings.Host = "127.0.0.1";
    state.settings.Port = talvoro::test::FreeLoopbackPort();
    QString failureText;
    std::vector<QString> seen;
    EXPECT_EQ(RunFailingAttempt(failureText, seen), app::kExitLogonCancelled);
    EXPECT_EQ(seen.size(), 3U);
    EXPECT_TRUE(failureText.startsWith(QStringLiteral("Connecting to host *127.0.0.1:")));
}

TEST_F(ProgramSteps, own_server_on_a_taken_port_shows_network_error_and_ends_with_13) {
    net::Transport blocker;
    ASSERT_NE(blocker.NetCreateServer(0, "0.0.0.0"), 0);
    state.settings.Port = blocker.LocalPort();
    state.settings.ServerMode = 1;
    ProgramLogonSteps steps(state, nullptr);
    ModalDriver driver;
    QString text;
    driver.Then(QStringLiteral("Talvoro: Network Error"), [&](QWidget& box) {
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            text = label->text();
        }
        box.close();
    });
    EXPECT_EQ(RunLogon(state, steps, options), app::kExitListenFailed);
    EXPECT_EQ(text, QStringLiteral("Server thread could not be created!\n\nMaybe another server "
                                   "is already running."));
    EXPECT_FALSE(state.ServerRunning.load());
}

TEST_F(ProgramSteps, own_server_session_runs_until_sigterm_and_logs_its_end) {
    state.settings.Port = talvoro::test::FreeLoopbackPort();
    state.settings.ServerMode = 1;
    app::TerminationSignals termination;
    ASSERT_GE(termination.fd(), 0);
    LoopbackProgramSteps steps(state, &termination);
    // Once the session runs (the log says so), a termination signal ends it.
    QTimer poll;
    poll.setInterval(10);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        const auto lines = talvoro::test::LogLines(data.file("Talvoro.log"));
        const bool running = !lines.empty() && lines.back().ends_with("Running as SERVER");
        if (running || std::chrono::steady_clock::now() > deadline) {
            poll.stop();
            ::raise(SIGTERM);
        }
    });
    poll.start();
    EXPECT_EQ(RunLogon(state, steps, options), app::kExitNormal);
    EXPECT_TRUE(steps.SessionRan());
    EXPECT_TRUE(state.ServerRunning.load());
    const auto lines = talvoro::test::LogLines(data.file("Talvoro.log"));
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(lines[0].ends_with(" INFO: Running as SERVER")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" INFO: Terminated")) << lines[1];
    EXPECT_EQ(state.settings.Host, "127.0.0.1") << "\"Host\" is the name the steps gave";
}

}  // namespace
}  // namespace talvoro::ui
