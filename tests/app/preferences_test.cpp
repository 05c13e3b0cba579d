#include "app/preferences.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;
using test::TempDir;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Settings Load(const std::string& path, std::string_view host = "myhost") {
    Settings settings;
    LoadSettings(path, settings, host);
    return settings;
}

Settings LoadText(const TempDir& dir, const std::string& text) {
    WriteText(dir.file("Talvoro.ini"), text);
    return Load(dir.file("Talvoro.ini"));
}

// Every field as one comparable and printable value.
auto Fields(const Settings& s) {
    return std::make_tuple(
        s.UserName, s.Host, s.Port, s.Color, s.Font, s.FontSize, s.Hidden, s.AutoOpen, s.AutoPlay,
        s.WinPos, s.WinPosX, s.WinPosY, s.SMessSnd, s.KeepAlive.load(), s.WinWidth, s.WinHeight,
        s.AutoSaveSession, s.ListUserColors, s.AutoLogon, s.BalloonTips, s.FileServerHalt.load(),
        s.ScrollLockStatus, s.NoScrollHidden, s.KeepAliveCycleTime.load(), s.TraceWhisper.load(),
        s.ServerMode, s.AwayMessage, s.AwayTime, s.AwayText, s.CloseMin, s.AlwaysMessTime,
        s.MinimizeToTray, s.ShowOnMessage, s.FlashOnMessage, s.IsPrivateVisible);
}

// Every field away from its default.
Settings Unusual() {
    Settings s;
    s.UserName = "Bo";
    s.Host = "10.0.0.2";
    s.Port = 4000;
    s.Color = 0x123456;
    s.Font = "Mono";
    s.FontSize = 11;
    s.Hidden = 1;
    s.AutoOpen = 0;
    s.AutoPlay = 1;
    s.WinPos = 0;
    s.WinPosX = 3;
    s.WinPosY = 4;
    s.SMessSnd = 1;
    s.KeepAlive = 1;
    s.WinWidth = 700;
    s.WinHeight = 500;
    s.AutoSaveSession = 0;
    s.ListUserColors = 0;
    s.AutoLogon = 1;
    s.BalloonTips = 1;
    s.FileServerHalt = 1;
    s.ScrollLockStatus = 0;
    s.NoScrollHidden = 0;
    s.KeepAliveCycleTime = 9999;
    s.TraceWhisper = 1;
    s.ServerMode = 1;
    s.AwayMessage = 0;
    s.AwayTime = 99;
    s.AwayText = "out  ";  // leading blanks cannot survive: the reader skips them
    s.CloseMin = 1;
    s.AlwaysMessTime = 0;
    s.MinimizeToTray = 0;
    s.ShowOnMessage = 1;
    s.FlashOnMessage = 0;
    s.IsPrivateVisible = 1;
    return s;
}

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

TEST(Preferences, missing_file_gives_defaults_and_the_host_name) {
    TempDir dir;
    Settings settings;
    settings.Port = 1;
    settings.AwayText = "stale";
    settings.KeepAlive = 1;
    LoadSettings(dir.file("Talvoro.ini"), settings, "myhost");
    EXPECT_EQ(settings.UserName, "");
    EXPECT_EQ(settings.Host, "myhost");
    EXPECT_EQ(settings.Port, 1805);
    EXPECT_EQ(settings.Color, 0xAA0000);
    EXPECT_EQ(settings.Font, "Verdana");
    EXPECT_EQ(settings.FontSize, 9);
    EXPECT_EQ(settings.AwayText, "I'm away for now, cu later!");
    EXPECT_EQ(settings.KeepAlive.load(), 0);
    EXPECT_EQ(settings.KeepAliveCycleTime.load(), 300);
    EXPECT_EQ(settings.ScrollLockStatus, 1);
}

TEST(Preferences, default_save_writes_exactly_the_known_text) {
    TempDir dir;
    Settings settings = Load(dir.file("Talvoro.ini"));
    ASSERT_TRUE(SaveSettings(dir.file("Talvoro.ini"), settings, WindowGeometry{}, false));
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.ini")), kDefaultFile);
}

TEST(Preferences, user_name_in_any_case_is_read_and_written_back_as_UserName) {
    TempDir dir;
    Settings settings = LoadText(dir, "[Prefs]\r\nusername = Anna\r\n");
    EXPECT_EQ(settings.UserName, "Anna");
    ASSERT_TRUE(SaveSettings(dir.file("Talvoro.ini"), settings, WindowGeometry{}, false));
    const std::string saved = ReadFileText(dir.file("Talvoro.ini"));
    EXPECT_EQ(saved.find("username"), std::string::npos);
    EXPECT_NE(saved.find("\r\nUserName = Anna\r\n"), std::string::npos);
    EXPECT_EQ(Load(dir.file("Talvoro.ini")).UserName, "Anna");
}

TEST(Preferences, empty_away_text_differs_from_a_missing_one) {
    TempDir dir;
    EXPECT_EQ(LoadText(dir, "[Prefs]\r\nAwayText =\r\n").AwayText, "");
    EXPECT_EQ(LoadText(dir, "[Prefs]\r\nAwayTime = 5\r\n").AwayText, "I'm away for now, cu later!");
}

TEST(Preferences, port_reads_leading_digits_only) {
    TempDir dir;
    EXPECT_EQ(LoadText(dir, "[Prefs]\nPort = 80abc\n").Port, 80);
    EXPECT_EQ(LoadText(dir, "[Prefs]\nPort = abc\n").Port, 0);
}

TEST(Preferences, only_the_first_section_and_first_matching_key_count) {
    TempDir dir;
    const Settings settings =
        LoadText(dir, "[Prefs]\nPort = 1\nPORT = 2\n[Prefs]\nPort = 3\nHost = second\n");
    EXPECT_EQ(settings.Port, 1);
    EXPECT_EQ(settings.Host, "myhost");
}

TEST(Preferences, numbers_are_cut_to_their_field_width) {
    TempDir dir;
    const Settings settings =
        LoadText(dir,
                 "[Prefs]\nHidden = 257\nAwayTime = 300\nScrollLockStatus = 258\n"
                 "FontSize = 65545\nKeepAliveCycleTime = 70000\n"
                 "TraceWhisper = 511\nKeepAlive = -255\nColor = -1\n");
    EXPECT_EQ(settings.Hidden, 1);
    EXPECT_EQ(settings.AwayTime, 44);
    EXPECT_EQ(settings.ScrollLockStatus, 2);
    EXPECT_EQ(settings.FontSize, 9);
    EXPECT_EQ(settings.KeepAliveCycleTime.load(), 4464);
    EXPECT_EQ(settings.TraceWhisper.load(), -1);
    EXPECT_EQ(settings.KeepAlive.load(), 1);
    EXPECT_EQ(settings.Color, -1);
}

TEST(Preferences, font_line_is_honoured_then_gone_after_save) {
    TempDir dir;
    Settings settings = LoadText(dir, "[Prefs]\r\nFont = Courier New\r\nFontSize = 12\r\n");
    EXPECT_EQ(settings.Font, "Courier New");
    EXPECT_EQ(settings.FontSize, 12);
    ASSERT_TRUE(SaveSettings(dir.file("Talvoro.ini"), settings, WindowGeometry{}, false));
    const std::string saved = ReadFileText(dir.file("Talvoro.ini"));
    EXPECT_EQ(saved.find("Font"), std::string::npos);
    EXPECT_EQ(Load(dir.file("Talvoro.ini")).Font, "Verdana");
}

TEST(Preferences, scroll_lock_status_keeps_the_restore_bit_and_records_the_light) {
    TempDir dir;
    Settings settings = LoadText(dir, "[Prefs]\r\nScrollLockStatus = 3\r\n");
    EXPECT_EQ(settings.ScrollLockStatus, 3);
    ASSERT_TRUE(SaveSettings(dir.file("Talvoro.ini"), settings, WindowGeometry{}, false));
    EXPECT_EQ(settings.ScrollLockStatus, 1);
    EXPECT_NE(ReadFileText(dir.file("Talvoro.ini")).find("\r\nScrollLockStatus = 1\r\n"),
              std::string::npos);

    settings.ScrollLockStatus = 0;
    ASSERT_TRUE(SaveSettings(dir.file("Talvoro.ini"), settings, WindowGeometry{}, true));
    EXPECT_EQ(settings.ScrollLockStatus, 2);
    EXPECT_EQ(Load(dir.file("Talvoro.ini")).ScrollLockStatus, 2);
}

TEST(Preferences, geometry_comes_from_the_window_not_from_settings) {
    TempDir dir;
    Settings settings = Load(dir.file("Talvoro.ini"));
    settings.WinPosX = 5;
    ASSERT_TRUE(
        SaveSettings(dir.file("Talvoro.ini"), settings, WindowGeometry{10, -20, 800, 619}, false));
    EXPECT_EQ(settings.WinPosX, 5);
    const Settings back = Load(dir.file("Talvoro.ini"));
    EXPECT_EQ(back.WinPosX, 10);
    EXPECT_EQ(back.WinPosY, -20);
    EXPECT_EQ(back.WinWidth, 800);
    EXPECT_EQ(back.WinHeight, 619);
}

TEST(Preferences, every_saved_field_loads_back_unchanged) {
    TempDir dir;
    Settings settings = Unusual();
    const WindowGeometry geometry{settings.WinPosX, settings.WinPosY, settings.WinWidth,
                                  settings.WinHeight};
    ASSERT_TRUE(SaveSettings(dir.file("Talvoro.ini"), settings, geometry, false));
    Settings expected = settings;
    expected.Font = "Verdana";  // never written
    expected.FontSize = 9;
    EXPECT_EQ(Fields(Load(dir.file("Talvoro.ini"), "other")), Fields(expected));
}

TEST(Settings, copies_carry_every_field) {
    const Settings settings = Unusual();
    const Settings copy(settings);
    EXPECT_EQ(Fields(copy), Fields(settings));
    Settings assigned;
    assigned = settings;
    EXPECT_EQ(Fields(assigned), Fields(settings));
}

TEST(Preferences, save_into_a_missing_directory_fails_quietly) {
    TempDir dir;
    Settings settings;
    EXPECT_FALSE(SaveSettings(dir.file("missing/Talvoro.ini"), settings, WindowGeometry{}, false));
}

TEST(Preferences, load_seeds_window_shown_and_message_sound) {
    TempDir dir;
    ProcessState state;
    LoadSettings(dir.file("none.ini"), state.settings, "");
    ApplyLoadedSettings(state);
    EXPECT_FALSE(state.WindowShown);
    EXPECT_FALSE(state.ChatMessageSound);
    WriteText(dir.file("Talvoro.ini"), "[Prefs]\nHidden = 1\nSMessSnd = 1\n");
    LoadSettings(dir.file("Talvoro.ini"), state.settings, "");
    ApplyLoadedSettings(state);
    EXPECT_TRUE(state.WindowShown);
    EXPECT_TRUE(state.ChatMessageSound);
}

}  // namespace
}  // namespace talvoro::app
