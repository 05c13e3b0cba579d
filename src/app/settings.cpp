#include "app/settings.h"

namespace talvoro::app {

Settings::Settings(const Settings& other) {
    *this = other;
}

Settings& Settings::operator=(const Settings& other) {
    if (this == &other) {
        return *this;
    }
    UserName = other.UserName;
    Host = other.Host;
    Port = other.Port;
    Color = other.Color;
    Font = other.Font;
    FontSize = other.FontSize;
    Hidden = other.Hidden;
    AutoOpen = other.AutoOpen;
    AutoPlay = other.AutoPlay;
    WinPos = other.WinPos;
    WinPosX = other.WinPosX;
    WinPosY = other.WinPosY;
    SMessSnd = other.SMessSnd;
    KeepAlive.store(other.KeepAlive.load());
    WinWidth = other.WinWidth;
    WinHeight = other.WinHeight;
    AutoSaveSession = other.AutoSaveSession;
    ListUserColors = other.ListUserColors;
    AutoLogon = other.AutoLogon;
    BalloonTips = other.BalloonTips;
    FileServerHalt.store(other.FileServerHalt.load());
    ScrollLockStatus = other.ScrollLockStatus;
    NoScrollHidden = other.NoScrollHidden;
    KeepAliveCycleTime.store(other.KeepAliveCycleTime.load());
    TraceWhisper.store(other.TraceWhisper.load());
    ServerMode = other.ServerMode;
    AwayMessage = other.AwayMessage;
    AwayTime = other.AwayTime;
    AwayText = other.AwayText;
    CloseMin = other.CloseMin;
    AlwaysMessTime = other.AlwaysMessTime;
    MinimizeToTray = other.MinimizeToTray;
    ShowOnMessage = other.ShowOnMessage;
    FlashOnMessage = other.FlashOnMessage;
    IsPrivateVisible = other.IsPrivateVisible;
    return *this;
}

}  // namespace talvoro::app
