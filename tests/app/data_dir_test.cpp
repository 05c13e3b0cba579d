#include "app/data_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

namespace fs = std::filesystem;

class ChooseDataDirTest : public ::testing::Test {
  protected:
    DataDirChoice Choose(std::vector<std::string> args) {
        return ChooseDataDir(args, xdg_.dir() + "data", home_.path().string());
    }
    std::string DefaultDir() const { return xdg_.dir() + "data/Oskvale/Talvoro/"; }

    test::TempDir xdg_, home_, chosen_;
};

TEST_F(ChooseDataDirTest, default_dir_comes_from_xdg_then_home_then_the_current_directory) {
    EXPECT_EQ(Choose({}).DataDir, DefaultDir());
    EXPECT_TRUE(fs::is_directory(DefaultDir() + "Transfer"));
    const std::string fromHome = home_.dir() + ".local/share/Oskvale/Talvoro/";
    EXPECT_EQ(ChooseDataDir({}, "", home_.path().string()).DataDir, fromHome);
    EXPECT_EQ(ChooseDataDir({}, "relative/dir", home_.path().string()).DataDir, fromHome);

    const fs::path before = fs::current_path();
    fs::current_path(chosen_.path());
    const DataDirChoice here = ChooseDataDir({}, "", "");
    fs::current_path(before);
    EXPECT_EQ(here.DataDir, "./");
    EXPECT_TRUE(fs::is_directory(chosen_.file("Transfer")));
}

TEST_F(ChooseDataDirTest, takes_a_usable_argument_and_falls_back_to_the_default_otherwise) {
    std::ofstream(chosen_.file("plain")) << "x";
    const std::string dir = chosen_.path().string();
    struct Case {
        std::vector<std::string> args;
        bool chosen, service;
    };
    const Case cases[] = {
        {{"\"" + dir + "/\""}, true, false},       {{dir}, true, false},
        {{" \"" + dir + "\" "}, true, false},      {{"/service", dir}, true, true},
        {{" \"/SERVICE\" ", dir}, true, true},     {{"/service"}, false, true},
        {{chosen_.file("missing")}, false, false}, {{chosen_.file("plain")}, false, false},
        {{"/servicex", dir}, false, false},        {{"\"\""}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const DataDirChoice choice = Choose(c.args);
        EXPECT_EQ(choice.DataDir, c.chosen ? chosen_.dir() : DefaultDir());
        EXPECT_EQ(choice.ServiceMode, c.service);
        if (c.chosen) {  // the rows that find the argument usable come first
            EXPECT_FALSE(fs::exists(DefaultDir()));
        }
    }
    EXPECT_TRUE(fs::is_directory(chosen_.file("Transfer")));
    EXPECT_TRUE(fs::is_directory(chosen_.file("Topics")));
    EXPECT_FALSE(fs::exists(chosen_.file("missing")));
}

}  // namespace
}  // namespace talvoro::app
