// The logon step with the real session and server steps, on loopback only.

#include <gtest/gtest.h>

#include <QLabel>

#include "app/exit_codes.h"
#include "net/transport.h"
#include "support/program_process.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/event_script.h"
#include "ui/program_steps.h"

namespace talvoro::ui {
namespace {

using test::EventScript;
using test::Pressing;

class ProgramSteps : public ::testing::Test {
  protected:
    void SetUp() override {
        talvoro::test::QtApp();
        state.DataDir = data.dir();
        state.Log.emplace(data.file("Talvoro.log"));
        state.settings.UserName = "bob";
        options.dialogServices.addresses = [] { return std::vector<std::string>{}; };
        options.dialogServices.hostName = [] { return std::string{"thishost"}; };
        options.anonymousNumber = [] { return 1; };
    }

    talvoro::test::TempDir data;
    app::ProcessState state;
    LogonOptions options;
};

TEST_F(ProgramSteps, host_that_does_not_resolve_or_refuses_leads_to_the_failure_dialog) {
    const std::uint16_t closedPort = talvoro::test::FreeLoopbackPort();
    const struct {
        std::string host;
        std::int32_t port;
    } cases[] = {{"no-such-host.invalid", 1805}, {"127.0.0.1", closedPort}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        state.settings.Host = c.host;
        state.settings.Port = c.port;
        ProgramLogonSteps steps(state, nullptr, 3000);
        EventScript script;
        script.Dialog("logonDialog", Pressing("connectButton"))
            .Dialog("connectionFailureDialog", Pressing("cancelButton"))
            .Dialog("logonDialog", Pressing("cancelButton"));
        EXPECT_EQ(RunLogon(state, steps, options), app::kExitLogonCancelled);
        EXPECT_TRUE(script.Finished()) << "still waiting for " << script.Waiting();
        // Nothing was built or logged for the failed attempt.
        EXPECT_TRUE(talvoro::test::LogLines(data.file("Talvoro.log")).empty());
    }
}

TEST_F(ProgramSteps, own_server_on_a_taken_port_shows_network_error_and_ends_with_13) {
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
    EXPECT_EQ(RunLogon(state, steps, options), app::kExitListenFailed);
    EXPECT_EQ(text, QStringLiteral("Server thread could not be created!\n\nMaybe another server "
                                   "is already running."));
    EXPECT_FALSE(state.ServerRunning.load());
}

}  // namespace
}  // namespace talvoro::ui
