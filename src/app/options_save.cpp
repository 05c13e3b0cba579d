#include "app/options_save.h"

#include <algorithm>

#include "app/number_text.h"

namespace talvoro::app {

namespace {

constexpr int kMinCycle = 10;
constexpr int kMaxCycle = 9999;
constexpr int kMinAwayMinutes = 1;
constexpr int kMaxAwayMinutes = 99;

std::int8_t Flag(bool on) {
    return on ? 1 : 0;
}

void ApplyFileReceive(Settings& settings, const OptionsForm& form, bool serverRunning,
                      std::vector<OptionsEffect>& effects) {
    if ((settings.FileServerHalt != 0) == form.fileReceiveOff) {
        return;
    }
    settings.FileServerHalt = Flag(form.fileReceiveOff);
    if (form.fileReceiveOff) {
        effects.push_back(OptionsEffect::SendFileReceiveRefused);
    } else {
        // A client's file server announces the state itself once it listens.
        effects.push_back(serverRunning ? OptionsEffect::SendFileReceiveAllowed
                                        : OptionsEffect::StartFileServer);
    }
}

void ApplyKeepAlive(Settings& settings, const OptionsForm& form,
                    std::vector<OptionsEffect>& effects) {
    settings.KeepAlive = Flag(form.keepAlive);
    bool stop = !form.keepAlive;
    const std::int32_t cycle = ReadNumber(form.keepAliveCycle);
    // Compared as the 16-bit value the setting holds.
    if (static_cast<std::int16_t>(cycle) != settings.KeepAliveCycleTime.load()) {
        settings.KeepAliveCycleTime =
            static_cast<std::int16_t>(std::clamp(cycle, kMinCycle, kMaxCycle));
        stop = true;
    }
    if (stop) {
        effects.push_back(OptionsEffect::StopKeepAlive);
    }
}

void ApplyAway(Settings& settings, const OptionsForm& form, std::vector<OptionsEffect>& effects) {
    const std::int32_t minutes = ReadNumber(form.awayMinutes);
    const bool timeChanged = static_cast<std::int8_t>(minutes) != settings.AwayTime;
    if (timeChanged) {
        settings.AwayTime =
            static_cast<std::int8_t>(std::clamp(minutes, kMinAwayMinutes, kMaxAwayMinutes));
    }
    const bool switchedOff = settings.AwayMessage != 0 && !form.awayMessage;
    settings.AwayMessage = Flag(form.awayMessage);
    // Switched off: the away reset alone (a restart first would stop the timer and leave the
    // reset nothing to end, so an away status would stay).
    if (switchedOff) {
        effects.push_back(OptionsEffect::AwayReset);
    } else if (timeChanged) {
        effects.push_back(OptionsEffect::RestartAwayTimer);
    }
    settings.AwayText = form.awayText;
}

}  // namespace

OptionsForm OptionsFormOf(const Settings& settings) {
    OptionsForm form;
    form.autoLogon = settings.AutoLogon != 0;
    form.minimizeToTray = settings.MinimizeToTray != 0;
    form.hidden = settings.Hidden != 0;
    form.restoreScrollLock = (settings.ScrollLockStatus & 1U) != 0;
    form.autoSaveSession = settings.AutoSaveSession != 0;
    form.winPos = settings.WinPos != 0;
    form.closeMin = settings.CloseMin != 0;
    form.messageSound = settings.SMessSnd != 0;
    form.flashOnMessage = settings.FlashOnMessage != 0;
    form.listUserColors = settings.ListUserColors != 0;
    form.balloonTipsOff = settings.BalloonTips != 0;
    form.noScrollHidden = settings.NoScrollHidden != 0;
    form.alwaysMessTime = settings.AlwaysMessTime != 0;
    form.showOnMessage = settings.ShowOnMessage != 0;
    form.fileReceiveOff = settings.FileServerHalt != 0;
    form.autoOpen = settings.AutoOpen != 0;
    form.autoPlay = settings.AutoPlay != 0;
    form.serverMode = settings.ServerMode != 0;
    form.keepAlive = settings.KeepAlive != 0;
    form.keepAliveCycle = std::to_string(settings.KeepAliveCycleTime.load());
    form.traceWhisper = settings.TraceWhisper != 0;
    form.awayMessage = settings.AwayMessage != 0;
    form.awayMinutes = std::to_string(settings.AwayTime);
    form.awayText = settings.AwayText;
    return form;
}

std::vector<OptionsEffect> ApplyOptions(Settings& settings, const OptionsForm& form,
                                        bool serverRunning) {
    std::vector<OptionsEffect> effects;
    settings.Hidden = Flag(form.hidden);
    settings.AutoOpen = Flag(form.autoOpen);
    settings.AutoPlay = Flag(form.autoPlay);
    settings.WinPos = Flag(form.winPos);
    settings.SMessSnd = Flag(form.messageSound);
    if ((settings.ListUserColors != 0) != form.listUserColors) {
        settings.ListUserColors = Flag(form.listUserColors);
        effects.push_back(OptionsEffect::RebuildUserList);
    }
    settings.AutoSaveSession = Flag(form.autoSaveSession);
    settings.AutoLogon = Flag(form.autoLogon);
    settings.BalloonTips = Flag(form.balloonTipsOff);
    ApplyFileReceive(settings, form, serverRunning, effects);
    settings.ScrollLockStatus = form.restoreScrollLock ? 1 : 0;
    settings.NoScrollHidden = Flag(form.noScrollHidden);
    settings.ServerMode = Flag(form.serverMode);
    ApplyKeepAlive(settings, form, effects);
    settings.TraceWhisper = Flag(form.traceWhisper);
    ApplyAway(settings, form, effects);
    settings.AlwaysMessTime = Flag(form.alwaysMessTime);
    settings.CloseMin = Flag(form.closeMin);
    settings.MinimizeToTray = Flag(form.minimizeToTray);
    settings.ShowOnMessage = Flag(form.showOnMessage);
    settings.FlashOnMessage = Flag(form.flashOnMessage);
    return effects;
}

}  // namespace talvoro::app
