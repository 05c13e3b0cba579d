#pragma once
// What the Options dialog edits, as plain values, and the rule that applies it to the settings:
// each field is taken over, numbers are corrected into their ranges, and the side effects that
// the changes call for are returned in the order they must run.
//
// Thread: pure functions over values; the GUI thread owns the Settings passed in.

#include <string>
#include <vector>

#include "app/settings.h"

namespace talvoro::app {

// The dialog's controls: check boxes as bools, the number fields as the text typed.
struct OptionsForm {
    // Startup / Exit.
    bool autoLogon = false;
    bool minimizeToTray = false;
    bool hidden = false;
    bool restoreScrollLock = false;  // bit 0 of "ScrollLockStatus"
    bool autoSaveSession = false;
    bool winPos = false;
    bool closeMin = false;
    // Visuals / Sounds.
    bool messageSound = false;
    bool flashOnMessage = false;
    bool listUserColors = false;
    bool balloonTipsOff = false;
    bool noScrollHidden = false;
    bool alwaysMessTime = false;
    bool showOnMessage = false;
    // File handling.
    bool fileReceiveOff = false;
    bool autoOpen = false;
    bool autoPlay = false;
    // Server functions.
    bool serverMode = false;
    bool keepAlive = false;
    std::string keepAliveCycle;  // seconds, decimal
    bool traceWhisper = false;
    // Away message.
    bool awayMessage = false;
    std::string awayMinutes;  // decimal
    std::string awayText;

    bool operator==(const OptionsForm&) const = default;
};

// The form as the settings fill it when the dialog opens.
OptionsForm OptionsFormOf(const Settings& settings);

enum class OptionsEffect {
    RebuildUserList,         // "ListUserColors" changed: redraw the list in or out of colour
    StartFileServer,         // receiving switched on in a client: start the file server
    SendFileReceiveAllowed,  // tell the server: files are received ("0")
    SendFileReceiveRefused,  // tell the server: files are refused ("1")
    StopKeepAlive,           // keep-alive switched off or its cycle changed
    RestartAwayTimer,        // the away time changed: a running away timer starts over
    AwayReset,               // the away message was switched off
};

// Applies `form` to `settings` and returns the side effects in their order. A cycle without
// digits or below 10 is stored as 10 (at most 9999); minutes without digits or below 1 as 1 (at
// most 99). An unchanged cycle or away time causes no effect.
std::vector<OptionsEffect> ApplyOptions(Settings& settings, const OptionsForm& form,
                                        bool serverRunning);

}  // namespace talvoro::app
