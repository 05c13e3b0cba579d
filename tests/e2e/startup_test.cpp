// Starts the real program on the offscreen platform with a temporary data directory and ends it
// with a signal, as a desktop session or a service manager would.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "net/connection.h"
#include "net/frame.h"
#include "net/message_kind.h"
#include "net/transport.h"
#include "support/program_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro {
namespace {

using test::LogLines;

bool IsStartLine(const std::string& line) {
    return line.find(" INFO: Talvoro v1.6.0.0 (") != std::string::npos &&
           line.ends_with(") started");
}

class ProgramTest : public ::testing::Test {
  protected:
    // Starts the program, waits for the start line of this run, sends `signalNumber` and returns
    // the log's lines once the program has ended with status 0.
    std::vector<std::string> RunUntilSignal(int signalNumber) {
        test::ProgramProcess program(TALVORO_PROGRAM, {data_.dir()},
                                     {"XDG_DATA_HOME=" + xdg_.dir()});
        if (!program.started()) {
            ADD_FAILURE() << "cannot start " << TALVORO_PROGRAM;
            return {};
        }
        // Exactly one line: a log left by an earlier run also begins with a start line.
        const bool up = test::WaitUntil(
            [&] {
                const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
                return program.Exited() || (lines.size() == 1 && IsStartLine(lines.front()));
            },
            std::chrono::seconds(30), std::chrono::milliseconds(10));
        EXPECT_TRUE(up && !program.Exited()) << "no start line, or the program ended at once";
        program.Signal(signalNumber);
        const int status = program.WaitForStatus();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        return LogLines(data_.file("Talvoro.log"));
    }

    test::TempDir data_;
    test::TempDir xdg_;
};

TEST_F(ProgramTest, sigterm_and_sigint_end_the_program_through_the_orderly_shutdown) {
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        std::filesystem::remove(data_.file("Talvoro.log"));
        const std::vector<std::string> lines = RunUntilSignal(signalNumber);
        ASSERT_EQ(lines.size(), 2U);
        EXPECT_TRUE(IsStartLine(lines[0])) << lines[0];
        EXPECT_TRUE(lines[1].ends_with(" INFO: Terminated")) << lines[1];
    }
    EXPECT_TRUE(std::filesystem::is_directory(data_.file("Transfer")));
    EXPECT_TRUE(std::filesystem::is_directory(data_.file("Topics")));
    EXPECT_FALSE(std::filesystem::exists(xdg_.file("Oskvale")));
}

// A client refused by its server (which closes the connection at once) shows the refusal's box;
// SIGTERM while that box waits for the user still ends the program in order.
TEST_F(ProgramTest, sigterm_while_a_message_box_is_open_ends_the_program_in_order) {
    net::Transport server;
    ASSERT_NE(server.NetCreateServer(0, "127.0.0.1"), 0);
    std::ofstream(data_.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUsername=bob\r\nHost=127.0.0.1\r\nPort=" << server.LocalPort()
        << "\r\nAutoLogon=1\r\nAwayMessage=0\r\n";
    test::ProgramProcess program(TALVORO_PROGRAM, {data_.dir()}, {"XDG_DATA_HOME=" + xdg_.dir()});
    ASSERT_TRUE(program.started());
    int client = -1;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            if (server.NetServerEvent() == net::kNetConnected) {
                client = server.NetEventClient();
            }
            return client >= 0 || program.Exited();
        },
        std::chrono::seconds(30), std::chrono::milliseconds(10)));
    ASSERT_GE(client, 0);
    const std::string refusal =
        std::string(1, net::KindChar(net::MessageKind::Refusal)) + "** Server has been terminated!";
    ASSERT_TRUE(net::NetSend(client, *net::EncodeFrame(0, refusal)));
    server.NetCloseConnection(client);
    const auto running = [&] {
        const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
        return lines.size() >= 2 && lines[1].ends_with(" INFO: Running as CLIENT");
    };
    ASSERT_TRUE(test::WaitUntil(running, std::chrono::seconds(30), std::chrono::milliseconds(10)));
    // The frame waits in the socket until the loop runs; give it time to open the box.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    program.Signal(SIGTERM);
    const int status = program.WaitForStatus(std::chrono::seconds(5));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(lines[2].ends_with(" INFO: Terminated")) << lines[2];
}

TEST_F(ProgramTest, second_start_moves_the_previous_log_to_old) {
    RunUntilSignal(SIGTERM);
    const std::string firstRun = test::ReadFileText(data_.file("Talvoro.log"));
    const std::vector<std::string> lines = RunUntilSignal(SIGTERM);
    EXPECT_EQ(test::ReadFileText(data_.file("Talvoro.old")), firstRun);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(IsStartLine(lines[0])) << lines[0];
}

}  // namespace
}  // namespace talvoro
