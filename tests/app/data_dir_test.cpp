#include "app/data_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

class ChooseDataDirTest : public ::testing::Test {
  protected:
    DataDirChoice Choose(std::vector<std::string> args) {
        return ChooseDataDir(args, xdg_.dir() + "data", home_.path().string());
    }
    std::string DefaultDir() const { return xdg_.dir() + "data/Oskvale/Talvoro/"; }

    TempDir xdg_;
    TempDir home_;
    TempDir chosen_;
};

TEST_F(ChooseDataDirTest, no_argument_gives_the_per_user_default_with_its_folders) {
    const DataDirChoice choice = Choose({});
    EXPECT_EQ(choice.DataDir, DefaultDir());
    EXPECT_FALSE(choice.ServiceMode);
    EXPECT_TRUE(fs::is_directory(DefaultDir() + "Transfer"));
    EXPECT_TRUE(fs::is_directory(DefaultDir() + "Topics"));
}

TEST_F(ChooseDataDirTest, default_falls_back_to_home_when_xdg_is_unset_or_relative) {
    const std::string expected = home_.dir() + ".local/share/Oskvale/Talvoro/";
    EXPECT_EQ(ChooseDataDir({}, "", home_.path().string()).DataDir, expected);
    EXPECT_EQ(ChooseDataDir({}, "relative/dir", home_.path().string()).DataDir, expected);
    EXPECT_TRUE(fs::is_directory(expected + "Topics"));
}

TEST_F(ChooseDataDirTest, without_any_user_folder_uses_the_current_directory) {
    const fs::path before = fs::current_path();
    fs::current_path(chosen_.path());
    const DataDirChoice choice = ChooseDataDir({}, "", "");
    const bool transferCreated = fs::is_directory(chosen_.file("Transfer"));
    fs::current_path(before);
    EXPECT_EQ(choice.DataDir, "./");
    EXPECT_TRUE(transferCreated);
}

TEST_F(ChooseDataDirTest, quoted_directory_with_trailing_slash_is_taken_unchanged) {
    const DataDirChoice choice = Choose({"\"" + chosen_.dir() + "\""});
    EXPECT_EQ(choice.DataDir, chosen_.dir());
    EXPECT_TRUE(fs::is_directory(chosen_.file("Transfer")));
    EXPECT_TRUE(fs::is_directory(chosen_.file("Topics")));
    EXPECT_FALSE(fs::exists(DefaultDir()));
}

TEST_F(ChooseDataDirTest, directory_without_trailing_slash_gets_one) {
    EXPECT_EQ(Choose({chosen_.path().string()}).DataDir, chosen_.dir());
}

TEST_F(ChooseDataDirTest, surrounding_spaces_are_removed) {
    EXPECT_EQ(Choose({"  " + chosen_.path().string() + "  "}).DataDir, chosen_.dir());
    EXPECT_EQ(Choose({" \"" + chosen_.path().string() + "\" "}).DataDir, chosen_.dir());
}

TEST_F(ChooseDataDirTest, service_switch_in_any_case_takes_the_next_argument) {
    for (const char* service : {"/service", "/SERVICE", "/SeRvIcE", " \"/service\" "}) {
        const DataDirChoice choice = Choose({service, chosen_.path().string()});
        EXPECT_TRUE(choice.ServiceMode) << service;
        EXPECT_EQ(choice.DataDir, chosen_.dir()) << service;
    }
}

TEST_F(ChooseDataDirTest, service_switch_alone_uses_the_default) {
    const DataDirChoice choice = Choose({"/service"});
    EXPECT_TRUE(choice.ServiceMode);
    EXPECT_EQ(choice.DataDir, DefaultDir());
}

TEST_F(ChooseDataDirTest, unusable_directory_falls_back_to_the_default) {
    EXPECT_EQ(Choose({chosen_.file("missing")}).DataDir, DefaultDir());
    EXPECT_FALSE(fs::exists(chosen_.file("missing")));
    std::ofstream(chosen_.file("plain")) << "x";
    EXPECT_EQ(Choose({chosen_.file("plain")}).DataDir, DefaultDir());
    EXPECT_EQ(Choose({"/servicex", chosen_.path().string()}).DataDir, DefaultDir());
    EXPECT_EQ(Choose({"\"\""}).DataDir, DefaultDir());
}

}  // namespace
}  // namespace talvoro::app
