#pragma once
// The chat views as files: automatic archives of tabs (a topic that closes, every tab at
// shutdown), "Topics.ini" that remembers the topics of the server's own client across a restart,
// and "&Save Session" of the current tab.
//
// Restoring goes through the server: the saved topics are announced like spawned ones, so every
// client (and the server's list of topics for late joiners) agrees on the tabs. When the
// announcement of a restored topic comes back, it opens without a "has been spawned" line and a
// sticky one gets its saved content.
//
// Thread: GUI thread only. Files are written to a temporary name and renamed into place.

#include <optional>
#include <string>

#include "chat/chat_context.h"

namespace talvoro::chat {

inline constexpr std::string_view kTopicsIniName = "Topics.ini";

// Writes the view of TopicList record `index` (list order, a hidden "Private Group" included) to
// its automatic archive name. Returns the path, or an empty text for an empty view or a file that
// could not be written.
std::string ArchiveRecord(ChatContext& ctx, std::size_t index);
// The same for the record that shows `view` (a topic that is closing).
std::string ArchiveView(ChatContext& ctx, int view);

// At shutdown with "AutoSaveSession" on: archives every tab and rewrites "Topics.ini" with
// "TopicTitle"/"TopicSticky"/"TopicFilename" + i for each topic at list position i. Returns false
// when "Topics.ini" could not be written; nothing happens with the setting off.
bool SaveTopicsAtShutdown(ChatContext& ctx);

// The server's own client has been welcomed: announces the topics of "Topics.ini" (up to three,
// until the first empty title). Titles are checked like typed ones; unusable ones are skipped.
void RestoreTopics(ChatContext& ctx);

// Called for an announced topic now at tab `position`: when it is one this client restored, the
// pending entry is used up, a sticky topic's saved file is loaded (as far as it is sound; a
// missing, unreadable or non-RTF file leaves the view empty) and the tab is marked unread when it
// then holds text. Returns true for a restored topic (no spawn line is written for it).
bool CompleteRestore(ChatContext& ctx, int position);

// A sticky topic's content sent by the server to this late joiner: loads `rtf` (as far as it is
// sound) into `view` when a topic tab shows it, and marks the tab unread when it then holds text.
// False when no topic tab shows `view` or the text is no rich text.
bool LoadTopicContent(ChatContext& ctx, int view, std::string_view rtf);

// "&Save Session": the default file offered for the current tab (UTF-8).
std::string SaveSessionDefault(const ChatContext& ctx);
// Writes the current tab's view to `path` (UTF-8) and scrolls it to its end. False when the file
// could not be written.
bool SaveSession(ChatContext& ctx, const std::string& path);

}  // namespace talvoro::chat
