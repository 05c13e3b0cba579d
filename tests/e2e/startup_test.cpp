// Starts the real program on the offscreen platform with a temporary data directory and ends it
// with a signal, as a desktop session or a service manager would: as a client, and in server mode.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "net/connection.h"
#include "net/frame.h"
#include "net/messages.h"
#include "net/transport.h"
#include "net/user_roster.h"
#include "support/program_process.h"
#include "support/raw_client.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro {
namespace {

using Lines = std::vector<std::string>;
using test::LogLines;

bool IsStartLine(const std::string& line) {
    return line.find(" INFO: Talvoro v1.6.0.0 (") != std::string::npos &&
           line.ends_with(") started");
}

class ProgramTest : public ::testing::Test {
  protected:
    // Starts the program, waits until `ready` holds for the log of this run, sends `signalNumber`
    // and returns the log's lines once the program has ended with status 0 (within 5 s).
    Lines RunUntilSignal(int signalNumber, const std::function<bool(const Lines&)>& ready) {
        test::ProgramProcess program(TALVORO_PROGRAM, {data_.dir()},
                                     {"XDG_DATA_HOME=" + xdg_.dir()});
        if (!program.started()) {
            ADD_FAILURE() << "cannot start " << TALVORO_PROGRAM;
            return {};
        }
        const bool up = test::WaitUntil(
            [&] { return program.Exited() || ready(LogLines(data_.file("Talvoro.log"))); },
            std::chrono::seconds(30), std::chrono::milliseconds(10));
        EXPECT_TRUE(up && !program.Exited()) << "not ready, or the program ended at once";
        program.Signal(signalNumber);
        const int status = program.WaitForStatus(std::chrono::seconds(5));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        return LogLines(data_.file("Talvoro.log"));
    }

    test::TempDir data_;
    test::TempDir xdg_;
};

// Signalled in the logon dialog, or while the box of a refusal waits for the user (the server
// refuses the logon and closes at once): either way the program ends through the orderly
// shutdown, and the log holds the start line, what happened, and "Terminated".
TEST_F(ProgramTest, sigterm_and_sigint_end_the_program_in_order_even_with_a_box_open) {
    // Exactly one line: a log left by an earlier run also begins with a start line.
    const Lines inDialog = RunUntilSignal(
        SIGTERM, [](const Lines& log) { return log.size() == 1 && IsStartLine(log[0]); });
    ASSERT_EQ(inDialog.size(), 2U);
    EXPECT_TRUE(inDialog[1].ends_with(" INFO: Terminated")) << inDialog[1];

    net::Listener server;
    ASSERT_TRUE(server.Listen(0, "127.0.0.1"));
    std::ofstream(data_.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUsername=bob\r\nHost=127.0.0.1\r\nPort=" << server.LocalPort()
        << "\r\nAutoLogon=1\r\nAwayMessage=0\r\n";
    const Lines lines = RunUntilSignal(SIGINT, [&](const Lines& log) {
        if (const net::Socket client = server.Accept(); client.valid()) {
            net::NetSend(
                client.fd(),
                *net::EncodeFrame(0, net::Refusal{"** Server has been terminated!"}.Encode()));
        }
        if (log.size() < 2 || !log[1].ends_with(" INFO: Running as CLIENT")) {
            return false;
        }
        // The frame waits in the socket until the loop runs: time to open the box.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return true;
    });
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(IsStartLine(lines[0])) << lines[0];
    EXPECT_TRUE(lines[2].ends_with(" INFO: Terminated")) << lines[2];
}

// In server mode the program runs the chat server on the set port and logs on to it as the
// operator; the server goes with the program, closing its clients' connections.
TEST_F(ProgramTest, server_mode_lists_its_operator_first_and_sigterm_closes_the_clients) {
    const std::uint16_t port = test::FreeLoopbackPort();
    ASSERT_NE(port, 0);
    std::ofstream(data_.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUserName=Operator\r\nPort=" << port
        << "\r\nServerMode=1\r\nAwayMessage=0\r\nKeepAlive=0\r\n";
    std::optional<test::RawClient> alice;
    std::optional<net::UserRoster> welcome;
    const Lines lines = RunUntilSignal(SIGTERM, [&](const Lines&) {
        // The operator logs on once the server runs: alice logs on again until it is listed.
        alice.emplace(port);
        welcome =
            alice->SendLogon("alice") ? alice->ReceiveMessage<net::UserRoster>() : std::nullopt;
        return welcome && welcome->users.size() >= 2 && welcome->users.front().name == "Operator";
    });
    ASSERT_TRUE(welcome);
    EXPECT_EQ(welcome->users.back().name, "alice");  // the newcomer is listed last
    ASSERT_GE(lines.size(), 3U);
    EXPECT_TRUE(lines[1].ends_with(" INFO: Running as SERVER")) << lines[1];
    EXPECT_TRUE(lines.back().ends_with(" INFO: Terminated")) << lines.back();
    EXPECT_TRUE(alice->WaitClosed());
}

}  // namespace
}  // namespace talvoro
