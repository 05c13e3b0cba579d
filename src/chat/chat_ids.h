#pragma once
// The numbered identifiers the chat core itself works with: text views, status-bar fields, and the
// image numbers of the user list's row icons and of the tabs. The window's own numbers (windows,
// controls, timers, commands, the other images) are in ui/identifiers.h, which names these too.

#include <cstdint>

namespace talvoro::chat {

// One text view per tab: Main is 500, a spawned topic 500 + its tab position (501..503), Private
// Group 504.
constexpr int kMainView = 500;
constexpr int kFirstTopicView = 501;
constexpr int kLastTopicView = 503;
constexpr int kPrivateView = 504;
constexpr int kMaxTopics = 3;
constexpr int kMaxTabs = 5;

// The four status-bar fields, from the left.
enum class StatusField : int {
    Uptime = 0,         // "Running: 0d01h02m03s" (run loop)
    Messages = 1,       // "Total Messages: n" (run loop)
    UsersOnline = 2,    // "Clients: n" (client session)
    ServerMessage = 3,  // last important server message (client session)
};

// Row icons of the user list, by image number.
enum class RowIcon : int {
    Away = 8,
    RejectBoth = 37,
    Normal = 38,
    RejectsMe = 39,
    RejectedByMe = 40,
    Self = 41,
    NormalBothFileOff = 73,
    RejectsMeOwnFileOff = 74,
    RejectedNoFileReceive = 75,
    NormalUserFileOff = 76,
    NormalOwnFileOff = 77,
};

// Tab images: read and unread.
constexpr int kTabImageRead = 118;
constexpr int kTabImageUnread = 119;

// Colours are 0x00BBGGRR (red in the low byte).
constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kPrivateBackground = 0xE4E4FF;  // red 255, green 228, blue 228

}  // namespace talvoro::chat
