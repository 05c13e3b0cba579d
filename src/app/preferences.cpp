#include "app/preferences.h"

#include "app/ini_file.h"

namespace talvoro::app {

namespace {

constexpr std::string_view kSection = "Prefs";

// Flags and 8-bit values keep the low 8 bits of what was read, 16-bit values the low 16 bits.
std::int8_t Low8(std::int32_t n) {
    return static_cast<std::int8_t>(n);
}
std::int16_t Low16(std::int32_t n) {
    return static_cast<std::int16_t>(n);
}

void LoadProfile(const IniReader& ini, const Settings& d, Settings& s, std::string_view host) {
    s.UserName = ini.Text("Username", d.UserName);
    s.Host = ini.Text("Host", host);
    s.Port = ini.Number("Port", d.Port);
    s.Color = ini.Number("Color", d.Color);
    s.Font = ini.Text("Font", d.Font);
    s.FontSize = Low16(ini.Number("FontSize", d.FontSize));
}

void LoadOptions(const IniReader& ini, const Settings& d, Settings& s) {
    s.Hidden = Low8(ini.Number("Hidden", d.Hidden));
    s.AutoOpen = Low8(ini.Number("AutoOpen", d.AutoOpen));
    s.AutoPlay = Low8(ini.Number("AutoPlay", d.AutoPlay));
    s.WinPos = Low8(ini.Number("WinPos", d.WinPos));
    s.WinPosX = ini.Number("WinPosX", d.WinPosX);
    s.WinPosY = ini.Number("WinPosY", d.WinPosY);
    s.SMessSnd = Low8(ini.Number("SMessSnd", d.SMessSnd));
    s.KeepAlive.store(Low8(ini.Number("KeepAlive", d.KeepAlive.load())));
    s.WinWidth = ini.Number("WinWidth", d.WinWidth);
    s.WinHeight = ini.Number("WinHeight", d.WinHeight);
    s.AutoSaveSession = Low8(ini.Number("AutoSaveSession", d.AutoSaveSession));
    s.ListUserColors = Low8(ini.Number("ListUserColors", d.ListUserColors));
    s.AutoLogon = Low8(ini.Number("AutoLogon", d.AutoLogon));
    s.BalloonTips = Low8(ini.Number("BalloonTips", d.BalloonTips));
    s.FileServerHalt.store(Low8(ini.Number("FileServerHalt", d.FileServerHalt.load())));
    s.ScrollLockStatus =
        static_cast<std::uint8_t>(ini.Number("ScrollLockStatus", d.ScrollLockStatus));
    s.NoScrollHidden = Low8(ini.Number("NoScrollHidden", d.NoScrollHidden));
    s.KeepAliveCycleTime.store(
        Low16(ini.Number("KeepAliveCycleTime", d.KeepAliveCycleTime.load())));
    s.TraceWhisper.store(Low8(ini.Number("TraceWhisper", d.TraceWhisper.load())));
    s.ServerMode = Low8(ini.Number("ServerMode", d.ServerMode));
    s.AwayMessage = Low8(ini.Number("AwayMessage", d.AwayMessage));
    s.AwayTime = Low8(ini.Number("AwayTime", d.AwayTime));
    s.AwayText = ini.Text("AwayText", d.AwayText);
    s.CloseMin = Low8(ini.Number("CloseMin", d.CloseMin));
    s.AlwaysMessTime = Low8(ini.Number("AlwaysMessTime", d.AlwaysMessTime));
    s.MinimizeToTray = Low8(ini.Number("MinimizeToTray", d.MinimizeToTray));
    s.ShowOnMessage = Low8(ini.Number("ShowOnMessage", d.ShowOnMessage));
    s.FlashOnMessage = Low8(ini.Number("FlashOnMessage", d.FlashOnMessage));
    s.IsPrivateVisible = Low8(ini.Number("IsPrivateVisible", d.IsPrivateVisible));
}

void WriteOptions(IniWriter& ini, const Settings& s, const WindowGeometry& g) {
    ini.AddNumber("Hidden", s.Hidden);
    ini.AddNumber("AutoOpen", s.AutoOpen);
    ini.AddNumber("AutoPlay", s.AutoPlay);
    ini.AddNumber("WinPos", s.WinPos);
    ini.AddNumber("WinPosX", g.x);
    ini.AddNumber("WinPosY", g.y);
    ini.AddNumber("SMessSnd", s.SMessSnd);
    ini.AddNumber("KeepAlive", s.KeepAlive.load());
    ini.AddNumber("WinWidth", g.clientWidth);
    ini.AddNumber("WinHeight", g.clientHeightPlusMenu);
    ini.AddNumber("AutoSaveSession", s.AutoSaveSession);
    ini.AddNumber("ListUserColors", s.ListUserColors);
    ini.AddNumber("AutoLogon", s.AutoLogon);
    ini.AddNumber("BalloonTips", s.BalloonTips);
    ini.AddNumber("FileServerHalt", s.FileServerHalt.load());
    ini.AddNumber("ScrollLockStatus", s.ScrollLockStatus);
    ini.AddNumber("NoScrollHidden", s.NoScrollHidden);
    ini.AddNumber("KeepAliveCycleTime", s.KeepAliveCycleTime.load());
    ini.AddNumber("TraceWhisper", s.TraceWhisper.load());
    ini.AddNumber("ServerMode", s.ServerMode);
    ini.AddNumber("AwayMessage", s.AwayMessage);
    ini.AddNumber("AwayTime", s.AwayTime);
    ini.AddText("AwayText", s.AwayText);
    ini.AddNumber("AlwaysMessTime", s.AlwaysMessTime);
    ini.AddNumber("CloseMin", s.CloseMin);
    ini.AddNumber("MinimizeToTray", s.MinimizeToTray);
    ini.AddNumber("ShowOnMessage", s.ShowOnMessage);
    ini.AddNumber("FlashOnMessage", s.FlashOnMessage);
    ini.AddNumber("IsPrivateVisible", s.IsPrivateVisible);
}

}  // namespace

void LoadSettings(const std::string& path, Settings& settings, std::string_view defaultHost) {
    const IniReader ini = IniReader::FromFile(path, kSection);
    const Settings defaults;
    LoadProfile(ini, defaults, settings, defaultHost);
    LoadOptions(ini, defaults, settings);
}

void ApplyLoadedSettings(ProcessState& state) {
    // The show/hide toggle right after the main window is built flips this, so a "Hidden" of 1
    // ends with the window hidden.
    state.WindowShown = state.settings.Hidden != 0;
    state.ChatMessageSound = state.settings.SMessSnd != 0;
}

bool SaveSettings(const std::string& path, Settings& settings, const WindowGeometry& geometry,
                  bool scrollLockOn) {
    settings.ScrollLockStatus =
        static_cast<std::uint8_t>((settings.ScrollLockStatus & 1U) | (scrollLockOn ? 2U : 0U));
    IniWriter ini(kSection);
    ini.AddText("UserName", settings.UserName);
    ini.AddText("Host", settings.Host);
    ini.AddNumber("Port", settings.Port);
    ini.AddNumber("Color", settings.Color);
    WriteOptions(ini, settings, geometry);
    return ini.WriteTo(path);
}

}  // namespace talvoro::app
