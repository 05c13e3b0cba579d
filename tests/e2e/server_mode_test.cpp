// The real program started in server mode: it runs the chat server on a fixed loopback port,
// logs on to it as the operator, relays between two raw clients, and ends through the orderly
// shutdown on SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "net/message_kind.h"
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
using test::WaitUntil;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool HasLineEndingIn(const std::vector<std::string>& lines, const std::string& tail) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return EndsWith(line, tail); });
}

class ServerModeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        port_ = test::FreeLoopbackPort();
        ASSERT_NE(port_, 0);
        std::ofstream ini(data_.file("Talvoro.ini"), std::ios::binary);
        ini << "[Prefs]\r\nUserName=Operator\r\nPort=" << port_
            << "\r\nServerMode=1\r\nAwayMessage=0\r\nKeepAlive=0\r\n";
    }

    std::string LogPath() const { return data_.file("Talvoro.log"); }

    // The names in the welcome roster of a client that logs on as `name`; empty when refused.
    std::vector<std::string> RosterNamesFor(RawClient& client, const std::string& name) {
        std::vector<std::string> names;
        if (!client.SendLogon(name)) {
            return names;
        }
        const std::optional<net::Frame> welcome = client.ReceiveKind(MessageKind::UserRoster);
        if (!welcome) {
            return names;
        }
        if (const std::optional<net::UserRoster> roster = net::DecodeUserRoster(welcome->raw)) {
            for (const net::UserRecord& user : roster->users) {
                names.push_back(user.name);
            }
        }
        return names;
    }

    // The operator logs on right after "Running as SERVER" is written; a probe client sees when
    // its record carries the name.
    bool WaitForOperatorLogon() {
        int probe = 0;
        return WaitUntil(
            [&] {
                RawClient client(port_);
                const std::vector<std::string> names =
                    RosterNamesFor(client, "probe" + std::to_string(++probe));
                return !names.empty() && names.front() == "Operator";
            },
            30s, 20ms);
    }

    // Starts the program and waits until its server runs and its operator has logged on.
    bool StartServerProgram(std::unique_ptr<ProgramProcess>& program) {
        program = std::make_unique<ProgramProcess>(
            TALVORO_PROGRAM, std::vector<std::string>{data_.dir()},
            std::vector<std::string>{"XDG_DATA_HOME=" + xdg_.dir()});
        if (!program->started()) {
            return false;
        }
        return WaitUntil(
                   [&] {
                       return program->Exited() ||
                              HasLineEndingIn(LogLines(LogPath()), " INFO: Running as SERVER");
                   },
                   30s, 10ms) &&
               !program->Exited();
    }

    std::uint16_t port_ = 0;
    TempDir data_;
    TempDir xdg_;
};

TEST_F(ServerModeTest, relays_between_clients_and_ends_cleanly_on_sigterm) {
    std::unique_ptr<ProgramProcess> program;
    ASSERT_TRUE(StartServerProgram(program)) << "the program did not come up in server mode";

    ASSERT_TRUE(WaitForOperatorLogon()) << "the operator's own client never logged on";

    RawClient alice(port_);
    ASSERT_TRUE(alice.connected());
    // The operator's own client is connected first; the newcomer is listed last.
    const std::vector<std::string> names = RosterNamesFor(alice, "alice");
    ASSERT_GE(names.size(), 2U);
    EXPECT_EQ(names.front(), "Operator");
    EXPECT_EQ(names.back(), "alice");

    RawClient bob(port_);
    ASSERT_NE(bob.LogOn("bob"), 0);

    ASSERT_TRUE(alice.Send(test::PayloadOf(MessageKind::PublicMessage, "hello from alice")));
    const std::optional<net::Frame> atBob = bob.ReceiveKind(MessageKind::PublicMessage);
    ASSERT_TRUE(atBob.has_value());
    EXPECT_NE(atBob->text.find("hello from alice"), std::string::npos) << atBob->text;

    ASSERT_TRUE(bob.Send(test::PayloadOf(MessageKind::PublicMessage, "hi alice")));
    std::optional<net::Frame> atAlice;
    // Alice also gets her own message back first, and bob's join.
    for (int i = 0; i < 5 && !(atAlice && atAlice->text.find("hi alice") != std::string::npos);
         ++i) {
        atAlice = alice.ReceiveKind(MessageKind::PublicMessage);
    }
    ASSERT_TRUE(atAlice.has_value());
    EXPECT_NE(atAlice->text.find("hi alice"), std::string::npos) << atAlice->text;

    program->Signal(SIGTERM);
    const int status = program->WaitForStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> lines = LogLines(LogPath());
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(HasLineEndingIn(lines, " INFO: Running as SERVER"));
    EXPECT_TRUE(EndsWith(lines.back(), " INFO: Terminated")) << lines.back();
    // The server went with the program: the clients' connections end.
    EXPECT_TRUE(alice.WaitClosed());
    EXPECT_TRUE(bob.WaitClosed());
}

TEST_F(ServerModeTest, second_server_on_a_taken_port_ends_with_status_13) {
    std::unique_ptr<ProgramProcess> first;
    ASSERT_TRUE(StartServerProgram(first));

    TempDir secondData;
    {
        std::ofstream ini(secondData.file("Talvoro.ini"), std::ios::binary);
        ini << "[Prefs]\r\nUserName=Second\r\nPort=" << port_ << "\r\nServerMode=1\r\n";
    }
    ProgramProcess second(TALVORO_PROGRAM, {secondData.dir()}, {"XDG_DATA_HOME=" + xdg_.dir()});
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(WaitUntil(
        [&] { return second.Exited() || !LogLines(secondData.file("Talvoro.log")).empty(); }, 30s,
        10ms));
    // The "Talvoro: Network Error" box waits for the user; a termination signal closes it, and
    // the program then ends with the listener's failure status.
    second.Signal(SIGTERM);
    const int secondStatus = second.WaitForStatus();
    ASSERT_TRUE(WIFEXITED(secondStatus)) << "status " << secondStatus;
    EXPECT_EQ(WEXITSTATUS(secondStatus), 13);
    const std::vector<std::string> secondLog = LogLines(secondData.file("Talvoro.log"));
    EXPECT_FALSE(HasLineEndingIn(secondLog, " INFO: Running as SERVER"));
    EXPECT_FALSE(HasLineEndingIn(secondLog, " INFO: Terminated"));

    // The first server is unaffected.
    RawClient carol(port_);
    EXPECT_NE(carol.LogOn("carol"), 0);
    first->Signal(SIGTERM);
    const int status = first->WaitForStatus();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace talvoro
