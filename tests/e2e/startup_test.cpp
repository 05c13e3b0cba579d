// Starts the real program on the offscreen platform with a temporary data directory and ends it
// with a signal, as a desktop session or a service manager would.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

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
