#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "support/program_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "transfer/restart_helper_file.h"

namespace talvoro::test {
namespace {

namespace fs = std::filesystem;

// A new version that, when started, notes its working directory and arguments in the file its
// first argument names.
const std::string kNewVersion =
    "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n";

bool RunsProgram(const ProgramProcess& process, const std::string& executable) {
    std::error_code ignored;
    return fs::read_symlink("/proc/" + std::to_string(process.pid()) + "/exe", ignored) ==
           executable;
}

class RestartHelper : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(data.path() / "Transfer");
        fs::create_directories(programDir.path() / "bin");
        helper = data.file("RestartExe.exe");
        Write(helper, "an older helper");  // replaced by the one the tests run
        ASSERT_TRUE(transfer::WriteRestartHelper(helper));
        Write(data.file("Transfer/_#_Talvoro_Upd.exe"), kNewVersion);
    }
    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    // Runs the written-out helper to its end with the program's own arguments after the two.
    void RunHelper(const std::string& executable, const std::vector<std::string>& programArgs) {
        ProgramProcess run(helper,
                           transfer::RestartHelperArguments(executable, data.dir(), programArgs));
        const int status = run.WaitForStatus(std::chrono::seconds(30));
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    TempDir data;
    TempDir programDir;
    std::string helper;
};

// The new version starts in the program's own folder: a relative data directory goes as absolute.
TEST(RestartArguments, name_the_same_profile_from_any_folder) {
    const std::string here = fs::current_path().string();
    EXPECT_EQ(transfer::RestartProgramArguments(true, "prof/../d"),
              (std::vector<std::string>{"/service", here + "/d/"}));
    EXPECT_EQ(transfer::RestartProgramArguments(false, "/x/y/"), std::vector<std::string>{"/x/y/"});
}

// The old program is still quitting when the helper starts: the helper waits for it.
TEST_F(RestartHelper, replaces_the_program_once_it_has_quit_and_starts_it_with_the_user_arguments) {
    const std::string executable = programDir.file("bin/talvoro");
    fs::copy_file("/bin/sleep", executable);
    ProgramProcess quitting(executable, {"0.3"});
    ASSERT_TRUE(WaitUntil([&] { return RunsProgram(quitting, executable); }));
    const std::string note = data.file("started");
    RunHelper(executable, {note, "two words"});

    EXPECT_EQ(ReadFileText(executable), kNewVersion);
    EXPECT_FALSE(fs::exists(data.file("Transfer/_#_Talvoro_Upd.exe")));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(note); }));
    EXPECT_EQ(ReadFileText(note), programDir.file("bin") + "\n" + note + "\ntwo words\n");
    EXPECT_FALSE(transfer::TakeUpdateTroubles(data.dir()));
}

// The program is still running, so it cannot be replaced: the update waits in the transfer
// directory under the program's name (replacing an earlier leftover) and the warning is left for
// the next start.
TEST_F(RestartHelper, gives_up_on_a_program_that_stays_in_use) {
    const std::string executable = programDir.file("bin/talvoro");
    fs::copy_file("/bin/sleep", executable);
    Write(data.file("Transfer/talvoro"), "earlier leftover");
    ProgramProcess running(executable, {"60"});
    ASSERT_TRUE(WaitUntil([&] { return RunsProgram(running, executable); }));
    RunHelper(executable, {});

    EXPECT_TRUE(ReadFileText(executable) == ReadFileText("/bin/sleep"));
    EXPECT_EQ(ReadFileText(data.file("Transfer/talvoro")), kNewVersion);
    EXPECT_FALSE(fs::exists(data.file("Transfer/_#_Talvoro_Upd.exe")));
    EXPECT_EQ(transfer::TakeUpdateTroubles(data.dir()),
              "Sorry for giving up but could not replace\n" + executable +
                  "\nwith new version in your transfer directory!\n\nMaybe another instance "
                  "is still running\nor file is write-protected.");
    EXPECT_FALSE(transfer::TakeUpdateTroubles(data.dir())) << "shown once";
    EXPECT_NE(ReadFileText(data.file("Talvoro.log"))
                  .find(" ERROR: Talvoro Update Troubles: Sorry for giving up but could not "
                        "replace " +
                        executable + " with new version"),
              std::string::npos);
}

}  // namespace
}  // namespace talvoro::test
