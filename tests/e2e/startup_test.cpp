// Starts the real program on the offscreen platform with a temporary data directory and ends it
// with a signal, as a desktop session or a service manager would.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro {
namespace {

using namespace std::chrono_literals;
using test::LogLines;
using test::ReadFileText;
using test::TempDir;
using test::WaitUntil;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsStartLine(const std::string& line) {
    return line.find(" INFO: Talvoro v1.6.0.0 (") != std::string::npos &&
           EndsWith(line, ") started");
}

class ProgramTest : public ::testing::Test {
  protected:
    // Starts the program, waits for the start line of this run, sends `signalNumber` and returns
    // the status.
    int RunUntilSignal(int signalNumber) {
        test::ProgramProcess program(TALVORO_PROGRAM, {data_.path().string()},
                                     {"XDG_DATA_HOME=" + xdg_.path().string()});
        if (!program.started()) {
            ADD_FAILURE() << "cannot start " << TALVORO_PROGRAM;
            return -1;
        }
        const bool up = WaitUntil(
            [&] {
                const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
                // Exactly one line: a log left by an earlier run also begins with a start line.
                return program.Exited() || (lines.size() == 1 && IsStartLine(lines.front()));
            },
            30s, 10ms);
        if (!up || program.Exited()) {
            ADD_FAILURE() << "the program did not write its start line and keep running";
            return -1;
        }
        program.Signal(signalNumber);
        return program.WaitForStatus();
    }

    TempDir data_;
    TempDir xdg_;
};

TEST_F(ProgramTest, sigterm_ends_the_program_through_the_orderly_shutdown) {
    const int status = RunUntilSignal(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(IsStartLine(lines[0])) << lines[0];
    EXPECT_TRUE(EndsWith(lines[1], " INFO: Terminated")) << lines[1];
    EXPECT_TRUE(std::filesystem::is_directory(data_.file("Transfer")));
    EXPECT_TRUE(std::filesystem::is_directory(data_.file("Topics")));
    EXPECT_FALSE(std::filesystem::exists(xdg_.file("Oskvale")));
}

TEST_F(ProgramTest, sigint_ends_the_program_the_same_way) {
    const int status = RunUntilSignal(SIGINT);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(EndsWith(lines.back(), " INFO: Terminated")) << lines.back();
}

TEST_F(ProgramTest, second_start_moves_the_previous_log_to_old) {
    ASSERT_EQ(RunUntilSignal(SIGTERM), 0);
    const std::string firstRun = ReadFileText(data_.file("Talvoro.log"));
    ASSERT_EQ(RunUntilSignal(SIGTERM), 0);
    EXPECT_EQ(ReadFileText(data_.file("Talvoro.old")), firstRun);
    const std::vector<std::string> lines = LogLines(data_.file("Talvoro.log"));
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_TRUE(IsStartLine(lines[0])) << lines[0];
}

}  // namespace
}  // namespace talvoro
