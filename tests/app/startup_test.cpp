#include "app/startup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/os_name.h"
#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;

class StartUpTest : public ::testing::Test {
  protected:
    // One start and orderly end, as one process would run them; `extra` is appended to the log.
    void RunOnce(const std::string& extra) {
        ProcessState state;
        StartUp(state, Inputs());
        std::ofstream(data_.file("Talvoro.log"), std::ios::app | std::ios::binary) << extra;
    }
    StartUpInputs Inputs() const {
        return StartUpInputs{{data_.path().string()}, "", home_.path().string(), "thishost"};
    }
    // The log's text with the "YYYY-MM-DD/hh:mm:ss" stamp of its first line cut off.
    std::string Log(const char* name = "Talvoro.log") const {
        const std::string text = ReadFileText(data_.file(name));
        return text.size() < 19 ? text : text.substr(19);
    }
    const std::string startLine_ = " INFO: Talvoro v1.6.0.0 (" + OsName() + ") started\r\n";
    test::TempDir data_, home_;
};

TEST_F(StartUpTest, sets_up_the_process_state_and_logs_start_and_end) {
    std::ofstream(data_.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nUserName = Anna\r\nHidden = 1\r\nSMessSnd = 1\r\n";
    ProcessState state;
    state.ServerVersion = 1234;
    state.QuitRequested = true;
    StartUp(state, Inputs());
    EXPECT_EQ(state.DataDir, data_.dir());
    EXPECT_FALSE(state.ServiceMode);
    EXPECT_EQ(state.ServerVersion.load(), 1000);
    EXPECT_FALSE(state.QuitRequested.load());
    EXPECT_EQ(state.settings.UserName, "Anna");
    EXPECT_EQ(state.settings.Host, "thishost");
    EXPECT_TRUE(state.WindowShown);
    EXPECT_TRUE(state.ChatMessageSound);
    ASSERT_TRUE(state.Log.has_value());
    EXPECT_EQ(state.Log->path(), data_.file("Talvoro.log"));
    EXPECT_EQ(Log(), startLine_);
    FinishShutdown(state);
    EXPECT_TRUE(Log().ends_with(" INFO: Terminated\r\n"));

    ProcessState withoutLog;
    FinishShutdown(withoutLog);
    EXPECT_FALSE(withoutLog.Log.has_value());
}

TEST_F(StartUpTest, each_start_keeps_exactly_one_previous_log) {
    RunOnce("first run\r\n");
    RunOnce("second run\r\n");
    EXPECT_NE(Log("Talvoro.old").find("first run"), std::string::npos);
    EXPECT_EQ(Log(), startLine_ + "second run\r\n");
    RunOnce("");
    EXPECT_NE(Log("Talvoro.old").find("second run"), std::string::npos);
    EXPECT_EQ(Log("Talvoro.old").find("first run"), std::string::npos);
    EXPECT_EQ(Log(), startLine_);
}

}  // namespace
}  // namespace talvoro::app
