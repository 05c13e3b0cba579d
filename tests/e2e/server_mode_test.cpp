// The real program started in server mode: it runs the chat server on a fixed loopback port,
// logs on to it as the operator and ends through the orderly shutdown on SIGTERM, closing its
// clients' connections. (Relaying itself is the server tests' business.)

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>

#include "net/user_roster.h"
#include "support/program_process.h"
#include "support/raw_client.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro {
namespace {

using namespace std::chrono_literals;
using net::MessageKind;
using test::LogLines;
using test::ProgramProcess;
using test::RawClient;
using test::TempDir;

bool HasLineEndingIn(const std::string& logPath, const std::string& tail) {
    const std::vector<std::string> lines = LogLines(logPath);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.ends_with(tail); });
}

// The names in the welcome roster of a client that logs on as `name`; empty when refused.
std::vector<std::string> RosterNamesFor(RawClient& client, const std::string& name) {
    std::vector<std::string> names;
    const std::optional<net::Frame> welcome =
        client.SendLogon(name) ? client.ReceiveKind(MessageKind::UserRoster) : std::nullopt;
    if (const auto roster = welcome ? net::UserRoster::Decode(welcome->raw) : std::nullopt) {
        for (const net::UserRecord& user : roster->users) {
            names.push_back(user.name);
        }
    }
    return names;
}

// Runs the program in server mode on `port` with its data in `data`.
std::unique_ptr<ProgramProcess> StartServer(const TempDir& data, const TempDir& xdg,
                                            std::uint16_t port, const std::string& user) {
    std::ofstream(data.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUserName=" << user << "\r\nPort=" << port
        << "\r\nServerMode=1\r\nAwayMessage=0\r\nKeepAlive=0\r\n";
    return std::make_unique<ProgramProcess>(TALVORO_PROGRAM, std::vector<std::string>{data.dir()},
                                            std::vector<std::string>{"XDG_DATA_HOME=" + xdg.dir()});
}

class ServerModeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(port_, 0);
        program_ = StartServer(data_, xdg_, port_, "Operator");
        ASSERT_TRUE(program_->started());
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                return program_->Exited() ||
                       HasLineEndingIn(data_.file("Talvoro.log"), " INFO: Running as SERVER");
            },
            30s, 10ms));
        ASSERT_FALSE(program_->Exited()) << "the program did not come up in server mode";
    }

    // Ends the program with SIGTERM and expects exit status 0.
    void Terminate() {
        program_->Signal(SIGTERM);
        const int status = program_->WaitForStatus();
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    const std::uint16_t port_ = test::FreeLoopbackPort();
    TempDir data_;
    TempDir xdg_;
    std::unique_ptr<ProgramProcess> program_;
};

TEST_F(ServerModeTest, lists_its_operator_first_and_ends_cleanly_on_sigterm) {
    // The operator logs on right after "Running as SERVER": probe clients see when it is listed.
    int probe = 0;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            RawClient client(port_);
            const auto names = RosterNamesFor(client, "probe" + std::to_string(++probe));
            return !names.empty() && names.front() == "Operator";
        },
        30s, 20ms))
        << "the operator's own client never logged on";

    RawClient alice(port_);
    const std::vector<std::string> names = RosterNamesFor(alice, "alice");
    ASSERT_GE(names.size(), 2U);
    EXPECT_EQ(names.front(), "Operator");
    EXPECT_EQ(names.back(), "alice");  // the newcomer is listed last
    Terminate();
    const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().ends_with(" INFO: Terminated")) << lines.back();
    // The server went with the program: the clients' connections end.
    EXPECT_TRUE(alice.WaitClosed());
}

TEST_F(ServerModeTest, second_server_on_a_taken_port_ends_with_status_13) {
    TempDir secondData;
    const auto second = StartServer(secondData, xdg_, port_, "Second");
    ASSERT_TRUE(second->started());
    const std::string secondLog = secondData.file("Talvoro.log");
    ASSERT_TRUE(test::WaitUntil([&] { return second->Exited() || !LogLines(secondLog).empty(); },
                                30s, 10ms));
    // The "Talvoro: Network Error" box waits for the user; a termination signal closes it, and
    // the program then ends with the listener's failure status.
    second->Signal(SIGTERM);
    const int status = second->WaitForStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 13);
    EXPECT_FALSE(HasLineEndingIn(secondLog, " INFO: Running as SERVER"));
    EXPECT_FALSE(HasLineEndingIn(secondLog, " INFO: Terminated"));

    // The first server is unaffected.
    RawClient carol(port_);
    EXPECT_NE(carol.LogOn("carol"), 0);
    Terminate();
}

}  // namespace
}  // namespace talvoro
