// Starts the real program on the offscreen platform with a temporary data directory and ends it
// with a signal, as a desktop session or a service manager would.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wait_until.h"

extern char** environ;

namespace talvoro {
namespace {

using namespace std::chrono_literals;
using test::ReadFileText;
using test::TempDir;
using test::WaitUntil;

// The outcome of one run: the wait status, or -1 when the program did not end in time.
struct Run {
    int status = -1;
};

class Program {
  public:
    Program(const std::string& dataDir, const std::string& xdgDataHome) {
        std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen",
                                                "XDG_DATA_HOME=" + xdgDataHome};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (text.rfind("QT_QPA_PLATFORM=", 0) != 0 && text.rfind("XDG_DATA_HOME=", 0) != 0) {
                environment.push_back(text);
            }
        }
        std::vector<std::string> args = {TALVORO_PROGRAM, dataDir};
        std::vector<char*> argv = Pointers(args);
        std::vector<char*> envp = Pointers(environment);
        if (posix_spawn(&pid_, TALVORO_PROGRAM, nullptr, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
    }

    ~Program() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return pid_ > 0; }

    // True once the program has ended (the status is kept).
    bool Exited() {
        if (!exited_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) {
            exited_ = true;
        }
        return exited_;
    }

    void Signal(int signalNumber) const { ::kill(pid_, signalNumber); }

    // Waits (bounded) for the end; -1 when the program is still running afterwards.
    int WaitForStatus() {
        return WaitUntil([this] { return Exited(); }, 30s, 10ms) ? status_ : -1;
    }

  private:
    static std::vector<char*> Pointers(std::vector<std::string>& texts) {
        std::vector<char*> pointers;
        for (std::string& text : texts) {
            pointers.push_back(text.data());
        }
        pointers.push_back(nullptr);
        return pointers;
    }

    pid_t pid_ = -1;
    int status_ = 0;
    bool exited_ = false;
};

std::vector<std::string> LogLines(const std::string& path) {
    const std::string text = ReadFileText(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

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
        Program program(data_.path().string(), xdg_.path().string());
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
