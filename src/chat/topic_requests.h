#pragma once
// What the user asks of topics: spawning one (the title check of the spawn dialog), closing one
// (with the rule of who may), and the topic information box. Requests only go to the server;
// the tabs change when the server's announcement comes back (topic_events.h).
//
// Thread: GUI thread only.

#include <cstdint>
#include <string>
#include <string_view>

#include "chat/chat_context.h"

namespace talvoro::chat {

// A topic title is at most this many characters.
constexpr std::size_t kMaxTopicTitle = 24;

inline constexpr std::string_view kEmptyTitleError = "Topic title cannot be empty!";
inline constexpr std::string_view kDuplicateTitleError = "Topic title already exists!";

struct TitleCheck {
    std::string title;  // the title to announce (valid when `error` is empty)
    std::string error;  // the text for the dialog's status line, empty when the title is fine
};

// The title as it would be announced: blanks trimmed, "&" turned into "+", cut to 24 characters.
// Control characters and the field separator of the announcement (0xA0) become blanks first, so
// a title can neither break the frame's fields nor a log line. Refused when it is then empty or
// when a tab (Main and Private Group included) has exactly this title.
TitleCheck CheckTopicTitle(const TopicList& topics, std::string_view typed);

// Whether another topic may be spawned (fewer than three exist).
bool MaySpawnTopic(const ChatContext& ctx);

// Checks `typed` and, when it is fine, sends TopicOpen (title, sticky flag). Returns the check.
TitleCheck RequestSpawn(ChatContext& ctx, std::string_view typed, bool sticky);

// Whether the own user may close the topic at tab `position`: always on the server's own client,
// else when the topic is the own user's or its owner left (owner 0).
bool MayCloseTopic(const ChatContext& ctx, int position);

// Sends TopicClose for `position` when MayCloseTopic allows it; returns whether it was sent.
bool RequestClose(ChatContext& ctx, int position);

// The topic information box of the selected tab: "Topic Info: " + title, with the view number,
// position, owner (the server's name when the owner is unknown), spawn time and sticky flag.
struct TopicInfo {
    std::string title;
    std::string text;
};
TopicInfo TopicInfoOfSelectedTab(const ChatContext& ctx);

}  // namespace talvoro::chat
