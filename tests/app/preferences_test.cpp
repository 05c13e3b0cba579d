#include "app/preferences.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;

constexpr char kDefaultFile[] =
    "[Prefs]\r\nUserName = \r\nHost = myhost\r\nPort = 1805\r\nColor = 11141120\r\n"
    "Hidden = 0\r\nAutoOpen = 1\r\nAutoPlay = 0\r\nWinPos = 1\r\nWinPosX = -1\r\nWinPosY = -1\r\n"
    "SMessSnd = 0\r\nKeepAlive = 0\r\nWinWidth = 640\r\nWinHeight = 371\r\n"
    "AutoSaveSession = 1\r\nListUserColors = 1\r\nAutoLogon = 0\r\nBalloonTips = 0\r\n"
    "FileServerHalt = 0\r\nScrollLockStatus = 1\r\nNoScrollHidden = 1\r\n"
    "KeepAliveCycleTime = 300\r\nTraceWhisper = 0\r\nServerMode = 0\r\nAwayMessage = 1\r\n"
    "AwayTime = 15\r\nAwayText = I'm away for now, cu later!\r\nAlwaysMessTime = 1\r\n"
    "CloseMin = 0\r\nMinimizeToTray = 1\r\nShowOnMessage = 0\r\nFlashOnMessage = 1\r\n"
    "IsPrivateVisible = 0\r\n";

// Every saved field away from its default.
constexpr char kUnusualFile[] =
    "[Prefs]\r\nUserName = Bo\r\nHost = 10.0.0.2\r\nPort = 4000\r\nColor = 1193046\r\n"
    "Hidden = 1\r\nAutoOpen = 0\r\nAutoPlay = 1\r\nWinPos = 0\r\nWinPosX = 3\r\nWinPosY = 4\r\n"
    "SMessSnd = 1\r\nKeepAlive = 1\r\nWinWidth = 700\r\nWinHeight = 500\r\n"
    "AutoSaveSession = 0\r\nListUserColors = 0\r\nAutoLogon = 1\r\nBalloonTips = 1\r\n"
    "FileServerHalt = 1\r\nScrollLockStatus = 0\r\nNoScrollHidden = 0\r\n"
    "KeepAliveCycleTime = 9999\r\nTraceWhisper = 1\r\nServerMode = 1\r\nAwayMessage = 0\r\n"
    "AwayTime = 99\r\nAwayText = out  \r\nAlwaysMessTime = 0\r\n"
    "CloseMin = 1\r\nMinimizeToTray = 0\r\nShowOnMessage = 1\r\nFlashOnMessage = 0\r\n"
    "IsPrivateVisible = 1\r\n";

class Preferences : public ::testing::Test {
  protected:
    Settings Load() const {
        Settings settings;
        LoadSettings(path_, settings, "myhost");
        return settings;
    }
    Settings LoadText(const std::string& text) const {
        std::ofstream(path_, std::ios::binary) << text;
        return Load();
    }
    bool Save(Settings& settings, bool scrollLockOn = false) const {
        return SaveSettings(path_, settings, WindowGeometry{}, scrollLockOn);
    }
    std::string Saved() const { return ReadFileText(path_); }

    test::TempDir dir_;
    const std::string path_ = dir_.file("Talvoro.ini");
};

TEST_F(Preferences, missing_file_gives_defaults_which_save_as_the_known_text) {
    Settings settings;
    settings.Port = 1;
    settings.AwayText = "stale";
    settings.KeepAlive = 1;
    LoadSettings(path_, settings, "myhost");
    ASSERT_TRUE(Save(settings));
    EXPECT_EQ(Saved(), kDefaultFile);
    EXPECT_FALSE(SaveSettings(dir_.file("missing/Talvoro.ini"), settings, {}, false));
}

TEST_F(Preferences, every_field_loads_and_saves_back_with_the_window_geometry) {
    Settings settings = LoadText(kUnusualFile);
    settings.WinPosX = 5;  // the window, not this field, gives the saved geometry
    ASSERT_TRUE(SaveSettings(path_, settings, WindowGeometry{3, 4, 700, 500}, false));
    EXPECT_EQ(settings.WinPosX, 5);
    EXPECT_EQ(Saved(), kUnusualFile);

    settings.Font = "Mono";
    Settings assigned;
    assigned = settings;
    for (Settings copy : {Settings(settings), assigned}) {  // copies carry every field
        EXPECT_EQ(copy.Font, "Mono");
        ASSERT_TRUE(SaveSettings(path_, copy, WindowGeometry{3, 4, 700, 500}, false));
        EXPECT_EQ(Saved(), kUnusualFile);
    }
}

TEST_F(Preferences, reads_values_leniently_and_takes_the_first_section_and_key) {
    EXPECT_EQ(LoadText("[Prefs]\r\nAwayText =\r\n").AwayText, "");
    EXPECT_EQ(LoadText("[Prefs]\r\nAwayTime = 5\r\n").AwayText, "I'm away for now, cu later!");
    EXPECT_EQ(LoadText("[Prefs]\nPort = 80abc\n").Port, 80);
    EXPECT_EQ(LoadText("[Prefs]\nPort = abc\n").Port, 0);
    const Settings first = LoadText("[Prefs]\nPort = 1\nPORT = 2\n[Prefs]\nPort = 3\nHost = x\n");
    EXPECT_EQ(first.Port, 1);
    EXPECT_EQ(first.Host, "myhost");
}

TEST_F(Preferences, numbers_are_cut_to_their_field_width) {
    const Settings settings = LoadText(
        "[Prefs]\nAwayTime = 300\nKeepAliveCycleTime = 70000\nTraceWhisper = 511\nColor = -1\n");
    EXPECT_EQ(settings.AwayTime, 44);
    EXPECT_EQ(settings.KeepAliveCycleTime.load(), 4464);
    EXPECT_EQ(settings.TraceWhisper.load(), -1);
    EXPECT_EQ(settings.Color, -1);
}

TEST_F(Preferences, scroll_lock_status_keeps_the_restore_bit_and_records_the_light) {
    Settings settings = LoadText("[Prefs]\r\nScrollLockStatus = 3\r\n");
    EXPECT_EQ(settings.ScrollLockStatus, 3);
    ASSERT_TRUE(Save(settings, false));
    EXPECT_EQ(settings.ScrollLockStatus, 1);
    EXPECT_NE(Saved().find("\r\nScrollLockStatus = 1\r\n"), std::string::npos);
    settings.ScrollLockStatus = 0;
    ASSERT_TRUE(Save(settings, true));
    EXPECT_EQ(settings.ScrollLockStatus, 2);
    EXPECT_EQ(Load().ScrollLockStatus, 2);
}

}  // namespace
}  // namespace talvoro::app
