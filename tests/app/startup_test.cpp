#include "app/startup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/os_name.h"
#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;
using test::TempDir;

class StartUpTest : public ::testing::Test {
  protected:
    StartUpInputs Inputs() const {
        return StartUpInputs{{data_.path().string()}, "", home_.path().string(), "thishost"};
    }
    // Runs one start; the state lives only for this call, as one process would.
    std::string StartOnce() {
        ProcessState state;
        StartUp(state, Inputs());
        return state.DataDir;
    }
    static std::string StartLine() { return "Talvoro v1.6.0.0 (" + OsName() + ") started"; }

    TempDir data_;
    TempDir home_;
};

// The text of a log line after its "YYYY-MM-DD/hh:mm:ss" stamp.
std::string WithoutStamp(const std::string& line) {
    return line.size() < 19 ? line : line.substr(19);
}

TEST_F(StartUpTest, sets_up_the_process_state_and_writes_the_start_line) {
    std::ofstream(data_.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUserName = Anna\r\nHidden = 1\r\nSMessSnd = 1\r\n";
    ProcessState state;
    state.ServerVersion = 1234;
    state.LastEmoticon = 180;
    state.QuitRequested = true;
    StartUp(state, Inputs());
    EXPECT_EQ(state.DataDir, data_.dir());
    EXPECT_FALSE(state.ServiceMode);
    EXPECT_EQ(state.ServerVersion.load(), 1000);
    EXPECT_EQ(state.LastEmoticon, 171);
    EXPECT_FALSE(state.QuitRequested.load());
    EXPECT_FALSE(state.ServerRunning.load());
    EXPECT_EQ(state.settings.UserName, "Anna");
    EXPECT_EQ(state.settings.Host, "thishost");
    EXPECT_TRUE(state.WindowShown);
    EXPECT_TRUE(state.ChatMessageSound);
    ASSERT_TRUE(state.Log.has_value());
    EXPECT_EQ(state.Log->path(), data_.file("Talvoro.log"));
    EXPECT_EQ(WithoutStamp(ReadFileText(data_.file("Talvoro.log"))),
              " INFO: " + StartLine() + "\r\n");
}

TEST_F(StartUpTest, each_start_keeps_exactly_one_previous_log) {
    StartOnce();
    std::ofstream(data_.file("Talvoro.log"), std::ios::app | std::ios::binary) << "first run\r\n";
    StartOnce();
    std::ofstream(data_.file("Talvoro.log"), std::ios::app | std::ios::binary) << "second run\r\n";

    const std::string old = ReadFileText(data_.file("Talvoro.old"));
    EXPECT_NE(old.find("first run"), std::string::npos);
    EXPECT_EQ(WithoutStamp(ReadFileText(data_.file("Talvoro.log"))),
              " INFO: " + StartLine() + "\r\nsecond run\r\n");

    StartOnce();
    const std::string older = ReadFileText(data_.file("Talvoro.old"));
    EXPECT_NE(older.find("second run"), std::string::npos);
    EXPECT_EQ(older.find("first run"), std::string::npos);
    EXPECT_EQ(WithoutStamp(ReadFileText(data_.file("Talvoro.log"))),
              " INFO: " + StartLine() + "\r\n");
}

TEST_F(StartUpTest, orderly_end_logs_terminated_last) {
    ProcessState state;
    StartUp(state, Inputs());
    FinishShutdown(state);
    const std::string log = ReadFileText(data_.file("Talvoro.log"));
    const std::string last = " INFO: Terminated\r\n";
    ASSERT_GE(log.size(), last.size());
    EXPECT_EQ(log.substr(log.size() - last.size()), last);
}

TEST(FinishShutdown, without_a_log_does_nothing) {
    ProcessState state;
    FinishShutdown(state);
    EXPECT_FALSE(state.Log.has_value());
}

TEST(InputsFromEnvironment, takes_arguments_after_the_program_name) {
    const char* argv[] = {"talvoro", "/service", "/tmp/x y"};
    const StartUpInputs inputs = InputsFromEnvironment(3, argv);
    EXPECT_EQ(inputs.args, (std::vector<std::string>{"/service", "/tmp/x y"}));
    EXPECT_EQ(inputs.hostName, LocalHostName());
}

}  // namespace
}  // namespace talvoro::app
