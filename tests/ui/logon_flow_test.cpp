// The roads of the logon step, driven through the real dialogs: the session and the server are
// fakes that record what they were asked with.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>

#include "app/exit_codes.h"
#include "support/qt_app.h"
#include "ui/logon.h"
#include "ui/modal_driver.h"

namespace talvoro::ui {
namespace {

using test::ModalDriver;

constexpr char kLogon[] = "logonDialog";
constexpr char kFailure[] = "connectionFailureDialog";

struct Attempt {
    std::string userName;
    std::string host;
    std::int32_t port = 0;
    bool ownServerRunning = false;
};

class FakeSteps : public LogonSteps {
  public:
    std::optional<int> RunSession() override {
        attempts.push_back({settings->UserName, settings->Host, settings->Port, serverStarted});
        if (attempts.size() > 20) {
            return 99;  // a loop that never ends would be a fault; stop it here
        }
        if (sessionResults.empty()) {
            return std::nullopt;  // the connection fails
        }
        const std::optional<int> result = sessionResults.front();
        sessionResults.pop_front();
        return result;
    }
    std::optional<int> StartOwnServer() override {
        ++serverStarts;
        if (serverFailure) {
            return serverFailure;
        }
        serverStarted = true;
        return std::nullopt;
    }
    std::string HostName() override { return "thishost"; }

    const app::Settings* settings = nullptr;
    std::deque<std::optional<int>> sessionResults;  // nullopt: this attempt fails
    std::optional<int> serverFailure;
    std::vector<Attempt> attempts;
    int serverStarts = 0;
    bool serverStarted = false;
};

class LogonFlow : public ::testing::Test {
  protected:
    void SetUp() override {
        talvoro::test::QtApp();
        state.settings.UserName = "bob";
        state.settings.Host = "chathost";
        state.settings.Port = 1805;
        steps.settings = &state.settings;
        options.dialogServices.addresses = [] { return std::vector<std::string>{}; };
        options.dialogServices.hostName = [] { return std::string{"thishost"}; };
        options.anonymousNumber = [] { return 517; };
    }

    int Run() { return RunLogon(state, steps, options); }

    static void Click(QWidget& dialog, const char* button) {
        auto* found = dialog.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(found, nullptr) << button;
        QTest::mouseClick(found, Qt::LeftButton);
    }
    static ModalDriver::Action Clicking(const char* button) {
        return [button](QWidget& dialog) { Click(dialog, button); };
    }
    static ModalDriver::Action Typing(const char* field, const char* text) {
        return [field, text](QWidget& dialog) {
            auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(field));
            ASSERT_NE(edit, nullptr) << field;
            edit->clear();
            QTest::keyClicks(edit, QString::fromLatin1(text));
            Click(dialog, "connectButton");
        };
    }

    app::ProcessState state;
    FakeSteps steps;
    LogonOptions options;
};

TEST_F(LogonFlow, cancel_in_the_logon_dialog_ends_with_status_1) {
    ModalDriver driver;
    driver.Then(kLogon, Clicking("cancelButton"));
    EXPECT_EQ(Run(), app::kExitLogonCancelled);
    EXPECT_TRUE(steps.attempts.empty());
    EXPECT_TRUE(driver.AllStepsTaken());
}

TEST_F(LogonFlow, connect_takes_trimmed_fields_and_cut_port) {
    steps.sessionResults = {0};
    ModalDriver driver;
    driver.Then(kLogon, [](QWidget& dialog) {
        auto* alias = dialog.findChild<QLineEdit*>(QStringLiteral("userNameField"));
        auto* host = dialog.findChild<QLineEdit*>(QStringLiteral("hostField"));
        auto* port = dialog.findChild<QLineEdit*>(QStringLiteral("portField"));
        ASSERT_TRUE(alias && host && port);
        alias->setText(QStringLiteral("  alice  "));
        host->setText(QStringLiteral(" 10.0.0.7 "));
        port->setText(QStringLiteral("99999"));
        QTest::keyClick(port, Qt::Key_Return);
    });
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(steps.attempts.size(), 1U);
    EXPECT_EQ(steps.attempts[0].userName, "alice");
    EXPECT_EQ(steps.attempts[0].host, "10.0.0.7");
    EXPECT_EQ(steps.attempts[0].port, 65535);
}

TEST_F(LogonFlow, empty_alias_never_reaches_the_server) {
    steps.sessionResults = {0};
    ModalDriver driver;
    driver.Then(kLogon, Typing("userNameField", "   "));
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(steps.attempts.size(), 1U);
    EXPECT_EQ(steps.attempts[0].userName, "Anonymous517");
}

TEST_F(LogonFlow, server_mode_starts_the_own_server_without_any_dialog) {
    state.settings.ServerMode = 1;
    state.settings.UserName = "  ";
    steps.sessionResults = {0};
    ModalDriver driver;
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(driver.Seen().empty()) << "no dialog may be shown";
    EXPECT_EQ(steps.serverStarts, 1);
    ASSERT_EQ(steps.attempts.size(), 1U);
    EXPECT_TRUE(steps.attempts[0].ownServerRunning) << "the session starts after the server";
    EXPECT_EQ(steps.attempts[0].host, "thishost");
    EXPECT_EQ(steps.attempts[0].userName, "Anonymous517");
}

TEST_F(LogonFlow, server_that_cannot_listen_ends_with_its_status) {
    state.settings.ServerMode = 1;
    steps.serverFailure = app::kExitListenFailed;
    EXPECT_EQ(Run(), app::kExitListenFailed);
    EXPECT_TRUE(steps.attempts.empty());
}

TEST_F(LogonFlow, failed_connect_offers_retry_and_names_host_and_port) {
    steps.sessionResults = {std::nullopt, 0};
    ModalDriver driver;
    QString title;
    QString text;
    driver.Then(kLogon, Clicking("connectButton")).Then(kFailure, [&](QWidget& dialog) {
        title = dialog.windowTitle();
        if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("failureText"))) {
            text = label->text();
        }
        QTest::keyClick(&dialog, Qt::Key_Return);  // Retry
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(steps.attempts.size(), 2U);
    EXPECT_EQ(title, QStringLiteral("bob Found No TalvoroServer"));
    EXPECT_EQ(text, QStringLiteral("Connecting to host *chathost:1805* failed."));
    EXPECT_TRUE(driver.AllStepsTaken());
}

TEST_F(LogonFlow, cancel_after_failure_shows_the_logon_dialog_again) {
    ModalDriver driver;
    driver.Then(kLogon, Clicking("connectButton"))
        .Then(kFailure, Clicking("cancelButton"))
        .Then(kLogon, Clicking("cancelButton"));
    EXPECT_EQ(Run(), app::kExitLogonCancelled);
    EXPECT_EQ(steps.attempts.size(), 1U);
    EXPECT_TRUE(driver.AllStepsTaken());
    EXPECT_FALSE(driver.TimedOut());
}

TEST_F(LogonFlow, start_server_after_failure_connects_to_the_own_server) {
    steps.sessionResults = {std::nullopt, 0};
    ModalDriver driver;
    driver.Then(kLogon, Clicking("connectButton")).Then(kFailure, Clicking("startServerButton"));
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(steps.serverStarts, 1);
    ASSERT_EQ(steps.attempts.size(), 2U);
    EXPECT_FALSE(steps.attempts[0].ownServerRunning);
    EXPECT_TRUE(steps.attempts[1].ownServerRunning);
    EXPECT_EQ(steps.attempts[1].host, "thishost");
}

TEST_F(LogonFlow, auto_logon_goes_straight_to_connecting_and_cancel_connects_again) {
    state.settings.AutoLogon = 1;
    state.settings.UserName = " carol ";
    steps.sessionResults = {std::nullopt, std::nullopt, 0};
    ModalDriver driver;
    driver.Then(kFailure, Clicking("retryButton")).Then(kFailure, Clicking("cancelButton"));
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(steps.attempts.size(), 3U);
    ASSERT_EQ(driver.Seen().size(), 2U) << "the logon dialog is never shown";
    EXPECT_EQ(steps.attempts[0].userName, "carol");
}

TEST_F(LogonFlow, quit_request_during_logon_ends_normally) {
    ModalDriver driver;
    driver.Then(kLogon, [this](QWidget& dialog) {
        state.QuitRequested = true;  // as a termination signal does
        dialog.close();
    });
    EXPECT_EQ(Run(), app::kExitNormal);
    EXPECT_TRUE(steps.attempts.empty());
}

}  // namespace
}  // namespace talvoro::ui
