#pragma once
// The numbered identifiers the chat core uses, taken from app/identifiers.h: text views,
// status-bar fields and the row-icon image numbers of the user list.

#include <cstdint>

#include "app/identifiers.h"

namespace talvoro::chat {

// Text views, one per tab. Topics take 500 + their tab position (501..503).
constexpr int kMainView = app::control::kMainView;
constexpr int kFirstTopicView = app::control::kFirstTopicView;
constexpr int kLastTopicView = app::control::kLastTopicView;
constexpr int kPrivateView = app::control::kPrivateView;
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
    Away = app::image::kAway,
    RejectBoth = app::image::kRejectBoth,
    Normal = app::image::kNormal,
    RejectsMe = app::image::kRejectsMe,
    RejectedByMe = app::image::kRejected,
    Self = app::image::kSelf,
    NormalBothFileOff = app::image::kNormalBothFileOff,
    RejectsMeOwnFileOff = app::image::kRejectsMeOwnFileOff,
    RejectedNoFileReceive = app::image::kRejectedFileOff,
    NormalUserFileOff = app::image::kNormalUserFileOff,
    NormalOwnFileOff = app::image::kNormalOwnFileOff,
};

// Tab images: read and unread.
constexpr int kTabImageRead = app::image::kTab;
constexpr int kTabImageUnread = app::image::kTabUnread;

// Colours are 0x00BBGGRR (red in the low byte).
constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kPrivateBackground = 0xE4E4FF;  // red 255, green 228, blue 228

}  // namespace talvoro::chat
