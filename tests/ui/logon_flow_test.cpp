// The roads of the logon step, driven through the real dialogs: first with a fake session and
// server that record what they were asked with, then with the real steps on loopback.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <deque>

#include "app/exit_codes.h"
#include "net/transport.h"
#include "support/program_process.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/event_script.h"
#include "ui/logon.h"
#include "ui/program_logon.h"

namespace talvoro::ui {
namespace {

using test::EventScript;
using test::Pressing;
using Attempts = std::vector<std::string>;

class FakeSteps : public LogonSteps {
  public:
    explicit FakeSteps(const app::Settings& settings) : settings_(settings) {}

    // Records "user@host:port", with "+server" once the own server runs.
    std::optional<int> RunSession() override {
        attempts.push_back(settings_.UserName + "@" + settings_.Host + ":" +
                           std::to_string(settings_.Port) + (serverStarts > 0 ? "+server" : ""));
        if (attempts.size() > 20) {
            return 99;  // a loop that never ends would be a fault; stop it here
        }
        const std::optional<int> result = results.empty() ? std::nullopt : results.front();
        if (!results.empty()) {
            results.pop_front();
        }
        return result;
    }
    std::optional<int> StartOwnServer() override {
        ++serverStarts;
        return std::nullopt;
    }
    std::string HostName() override { return "thishost"; }

    std::deque<std::optional<int>> results;  // one per attempt; nullopt (or none left): it fails
    Attempts attempts;
    int serverStarts = 0;

  private:
    const app::Settings& settings_;
};

constexpr char kLogon[] = "logonDialog";
constexpr char kFailure[] = "connectionFailureDialog";

LogonOptions Options() {
    LogonOptions options;
    options.dialogServices.addresses = [] { return std::vector<std::string>{}; };
    options.dialogServices.hostName = [] { return std::string{"thishost"}; };
    options.anonymousNumber = [] { return 517; };
    return options;
}

class LogonFlow : public ::testing::Test {
  protected:
    void SetUp() override {
        state.settings.UserName = "bob";
        state.settings.Host = "chathost";
        state.settings.Port = 1805;
    }

    // Runs the logon step and checks its exit code, the session attempts and the server starts;
    // every dialog step was taken and no other dialog was shown.
    void Expect(int exitCode, const Attempts& attempts, int serverStarts) {
        EXPECT_EQ(RunLogon(state, steps, Options()), exitCode);
        EXPECT_EQ(steps.attempts, attempts);
        EXPECT_EQ(steps.serverStarts, serverStarts);
        EXPECT_TRUE(script.Finished());
        EXPECT_FALSE(script.TimedOut()) << "a dialog the road does not expect was shown";
    }

    QApplication& qtApp = talvoro::test::QtApp();  // before the script's timer
    app::ProcessState state;
    FakeSteps steps{state.settings};
    EventScript script;
};

TEST_F(LogonFlow, escape_in_the_logon_dialog_ends_with_status_1) {
    script.Dialog(kLogon, [](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    Expect(app::kExitLogonCancelled, {}, 0);
}

// The typed fields are trimmed, the port is cut to 65535 and an empty alias is numbered.
TEST_F(LogonFlow, connect_takes_the_cleaned_fields) {
    steps.results = {0};
    script.Dialog(kLogon, [](QWidget& dialog) {
        for (const auto& [name, text] : {std::pair{"userNameField", "   "},
                                         {"hostField", " 10.0.0.7 "},
                                         {"portField", "99999"}}) {
            dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
        }
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    Expect(0, {"Anonymous517@10.0.0.7:65535"}, 0);
}

TEST_F(LogonFlow, start_server_after_failure_connects_to_the_own_server) {
    steps.results = {std::nullopt, 0};
    script.Dialog(kLogon, Pressing("connectButton"))
        .Dialog(kFailure, Pressing("startServerButton"));
    Expect(0, {"bob@chathost:1805", "bob@thishost:1805+server"}, 1);
}

// Retry connects again; with auto logon, so does Cancel.
TEST_F(LogonFlow, auto_logon_goes_straight_to_connecting_and_cancel_connects_again) {
    state.settings.AutoLogon = 1;
    state.settings.UserName = " carol ";
    steps.results = {std::nullopt, std::nullopt, 0};
    script.Dialog(kFailure, Pressing("retryButton")).Dialog(kFailure, Pressing("cancelButton"));
    Expect(0, {"carol@chathost:1805", "carol@chathost:1805", "carol@chathost:1805"}, 0);
}

// The real steps: a host that refuses leads to the failure dialog, whose Cancel shows the logon
// dialog again; nothing is built or logged for the failed attempt.
TEST(ProgramSteps, unreachable_host_leads_to_the_failure_dialog_and_a_taken_port_to_status_13) {
    talvoro::test::QtApp();
    talvoro::test::TempDir data;
    app::ProcessState state;
    state.DataDir = data.dir();
    state.Log.emplace(data.file("Talvoro.log"));
    state.settings.UserName = "bob";
    state.settings.Host = "127.0.0.1";
    state.settings.Port = talvoro::test::FreeLoopbackPort();
    {
        ProgramLogonSteps steps(state, nullptr, 3000);
        EventScript script;
        script.Dialog(kLogon, Pressing("connectButton"))
            .Dialog(kFailure, Pressing("cancelButton"))
            .Dialog(kLogon, Pressing("cancelButton"));
        EXPECT_EQ(RunLogon(state, steps, Options()), app::kExitLogonCancelled);
        EXPECT_TRUE(script.Finished()) << "still waiting for " << script.Waiting();
        EXPECT_TRUE(talvoro::test::LogLines(data.file("Talvoro.log")).empty());
    }

    net::Listener blocker;
    ASSERT_TRUE(blocker.Listen(0, "0.0.0.0"));
    state.settings.Port = blocker.LocalPort();
    state.settings.ServerMode = 1;
    ProgramLogonSteps steps(state, nullptr);
    QString text;
    EventScript script;
    script.Dialog("Talvoro: Network Error", [&text](QWidget& box) {
        text = box.findChild<QLabel*>("qt_msgbox_label")->text();
        box.close();
    });
    EXPECT_EQ(RunLogon(state, steps, Options()), app::kExitListenFailed);
    EXPECT_EQ(text, QStringLiteral("Server thread could not be created!\n\nMaybe another server "
                                   "is already running."));
    EXPECT_FALSE(state.ServerRunning.load());
}

}  // namespace
}  // namespace talvoro::ui
