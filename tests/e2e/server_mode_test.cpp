// The real program started in server mode: it runs the chat server on a fixed loopback port,
// logs on to it as the operator and ends through the orderly shutdown on SIGTERM, closing its
// clients' connections. (Relaying itself is the server tests' business; a taken port is the
// logon steps' business.)

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <fstream>

#include "net/user_roster.h"
#include "support/program_process.h"
#include "support/raw_client.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro {
namespace {

using namespace std::chrono_literals;
using test::RawClient;

// The names in the welcome roster of a client that logs on as `name`; empty when refused.
std::vector<std::string> RosterNamesFor(RawClient& client, const std::string& name) {
    std::vector<std::string> names;
    const std::optional<net::Frame> welcome =
        client.SendLogon(name) ? client.ReceiveKind(net::MessageKind::UserRoster) : std::nullopt;
    if (const auto roster = welcome ? net::UserRoster::Decode(welcome->raw) : std::nullopt) {
        for (const net::UserRecord& user : roster->users) {
            names.push_back(user.name);
        }
    }
    return names;
}

TEST(ServerMode, lists_its_operator_first_and_ends_cleanly_on_sigterm) {
    const std::uint16_t port = test::FreeLoopbackPort();
    ASSERT_NE(port, 0);
    const test::TempDir data;
    const test::TempDir xdg;
    std::ofstream(data.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUserName=Operator\r\nPort=" << port
        << "\r\nServerMode=1\r\nAwayMessage=0\r\nKeepAlive=0\r\n";
    test::ProgramProcess program(TALVORO_PROGRAM, {data.dir()}, {"XDG_DATA_HOME=" + xdg.dir()});
    ASSERT_TRUE(program.started());

    // The operator logs on once the server runs: probe clients see when it is listed.
    int probe = 0;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            RawClient client(port);
            const auto names = RosterNamesFor(client, "probe" + std::to_string(++probe));
            return program.Exited() || (!names.empty() && names.front() == "Operator");
        },
        30s, 20ms));
    ASSERT_FALSE(program.Exited()) << "the program did not come up in server mode";

    RawClient alice(port);
    const std::vector<std::string> names = RosterNamesFor(alice, "alice");
    ASSERT_GE(names.size(), 2U);
    EXPECT_EQ(names.front(), "Operator");
    EXPECT_EQ(names.back(), "alice");  // the newcomer is listed last
    program.Signal(SIGTERM);
    const int status = program.WaitForStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> lines = test::LogLines(data.file("Talvoro.log"));
    ASSERT_GE(lines.size(), 2U);
    EXPECT_TRUE(lines[1].ends_with(" INFO: Running as SERVER")) << lines[1];
    EXPECT_TRUE(lines.back().ends_with(" INFO: Terminated")) << lines.back();
    // The server went with the program: the clients' connections end.
    EXPECT_TRUE(alice.WaitClosed());
}

}  // namespace
}  // namespace talvoro
