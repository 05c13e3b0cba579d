#pragma once
// The program's own numbered identifiers: windows, controls, timers, command (event) numbers and
// image numbers. Every part refers to them by these names; commands are routed by number, whether
// they come from a menu item, a keyboard shortcut, a tool-bar button or the tray menu.
// Plain constants only: usable from any thread and from code without Qt.

#include <array>
#include <cstddef>

namespace talvoro::app {

// Windows.
namespace window {
constexpr int kMain = 0;
constexpr int kTopicDialog = 1;
constexpr int kTrayOwner = 21;
constexpr int kFindDialog = 51;
constexpr int kOptionsDialog = 70;
}  // namespace window

// Controls of the main window.
namespace control {
constexpr int kInputLine = 2;
constexpr int kUserList = 3;
constexpr int kSendButton = 7;
constexpr int kUserToolBarHolder = 9;
constexpr int kStatusBar = 84;
constexpr int kTabBar = 99;
constexpr int kEmoticonToolBarHolder = 129;
// Text views: Main is 500, spawned topics take 501..503, Private Group is 504.
constexpr int kMainView = 500;
constexpr int kFirstTopicView = 501;
constexpr int kLastTopicView = 503;
constexpr int kPrivateView = 504;
}  // namespace control

// Window timers of the main window.
namespace timer {
constexpr int kOneSecond = 4712;
constexpr int kAway = 4713;
constexpr int kOneSecondPeriodMs = 1000;
constexpr int kAwayMinuteMs = 60000;  // the away period is "AwayTime" times this
}  // namespace timer

// Worker thread slots (ThreadSlots).
namespace slot {
constexpr std::size_t kAboutBox = 4;
constexpr std::size_t kUserDetails = 8;
}  // namespace slot

// Command (event) numbers.
namespace cmd {
// Application commands.
constexpr int kAbout = 1;
constexpr int kHideShow = 2;
constexpr int kOpenTransferDir = 3;
constexpr int kQuit = 4;
constexpr int kToggleAway = 5;
constexpr int kSend = 7;
// User tool bar.
constexpr int kWhisper = 46;
constexpr int kTransfer = 47;
constexpr int kReject = 48;
constexpr int kPreferences = 49;
constexpr int kUserDetail = 50;
// Emoticon buttons: 171..194 (the run loop offers 170..199 to the emoticons).
constexpr int kEmoticonRangeBegin = 170;
constexpr int kFirstEmoticon = 171;
constexpr int kLastEmoticon = 194;
constexpr int kMenuCommandsBegin = 200;
// Text view.
constexpr int kFindText = 200;
constexpr int kSelectAll = 201;
constexpr int kClearSelection = 202;
constexpr int kCopy = 203;
constexpr int kSaveSession = 204;
constexpr int kLastEmoticonAgain = 298;
constexpr int kAnswerWhisper = 299;
// Topics.
constexpr int kTopicInfo = 300;
constexpr int kClearTopic = 302;
constexpr int kPrivateGroupToggle = 303;
constexpr int kSpawnTopic = 304;
constexpr int kCloseTopicBase = 310;  // + k, k >= 1: close the topic at tab position k
// Group of ticked users.
constexpr int kGroupWhisper = 400;
constexpr int kGroupTransfer = 401;
constexpr int kGroupReject = 402;
constexpr int kTickAll = 404;
constexpr int kUntickAll = 405;
// Tab selection: 500 + k selects tab position k (k < 4); 504 shows and selects the private tab.
constexpr int kSelectTabBase = 500;
constexpr int kSelectPrivateTab = 504;
// Per-user commands: base + r, r the row position in the user list.
constexpr int kTransferToRowBase = 1000;
constexpr int kWhisperToRowBase = 2000;
constexpr int kKickRowBase = 3000;
constexpr int kBanRowBase = 4000;
constexpr int kRejectRowBase = 5000;
constexpr int kDetailsRowBase = 6000;
constexpr int kRowRangeSize = 1000;  // rows 0..999 per base
}  // namespace cmd

// Embedded image numbers.
namespace image {
constexpr int kAway = 8;
constexpr int kRejectBoth = 37;
constexpr int kNormal = 38;
constexpr int kRejectsMe = 39;
constexpr int kRejected = 40;
constexpr int kSelf = 41;
constexpr int kNormalBothFileOff = 73;
constexpr int kRejectsMeOwnFileOff = 74;
constexpr int kRejectedFileOff = 75;
constexpr int kNormalUserFileOff = 76;
constexpr int kNormalOwnFileOff = 77;
constexpr int kToolBarStrip = 81;          // 80x16, five pictures
constexpr int kToolBarStripMask = 82;      // 80x16, 1 bit
constexpr int kToolBarStripDisabled = 83;  // 80x16, disabled pictures
constexpr int kStatusBarIcon = 85;
constexpr int kTrayNormal = 95;
constexpr int kTrayBlink = 96;
constexpr int kTab = 118;
constexpr int kTabUnread = 119;
constexpr int kEmoticonStrip = 127;      // 384x16, 24 pictures
constexpr int kEmoticonStripMask = 128;  // 384x16, 1 bit
constexpr int kAboutFrame1 = 130;
constexpr int kAboutFrame2 = 131;
constexpr int kAboutFrame3 = 132;
constexpr int kAboutFrame4 = 133;
constexpr int kAboutFrame5 = 134;

constexpr std::array<int, 26> kAll = {kAway,
                                      kRejectBoth,
                                      kNormal,
                                      kRejectsMe,
                                      kRejected,
                                      kSelf,
                                      kNormalBothFileOff,
                                      kRejectsMeOwnFileOff,
                                      kRejectedFileOff,
                                      kNormalUserFileOff,
                                      kNormalOwnFileOff,
                                      kToolBarStrip,
                                      kToolBarStripMask,
                                      kToolBarStripDisabled,
                                      kStatusBarIcon,
                                      kTrayNormal,
                                      kTrayBlink,
                                      kTab,
                                      kTabUnread,
                                      kEmoticonStrip,
                                      kEmoticonStripMask,
                                      kAboutFrame1,
                                      kAboutFrame2,
                                      kAboutFrame3,
                                      kAboutFrame4,
                                      kAboutFrame5};

// Position (from 1) of each user tool-bar button's picture in the strips 81 and 83.
constexpr int kStripPreferences = 1;
constexpr int kStripReject = 2;
constexpr int kStripTransfer = 3;
constexpr int kStripUserDetail = 4;
constexpr int kStripWhisper = 5;
}  // namespace image

}  // namespace talvoro::app
