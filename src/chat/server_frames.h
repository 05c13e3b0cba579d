#pragma once
// What each frame from the server does to the client: the users who join and leave, status
// changes, chat messages, notices, topics, a refusal, a pushed version. Also the question when
// the server connection is lost.
//
// Thread: GUI thread only. Frames of unknown kinds and malformed fields change nothing that
// could break the model (a roster that does not decode is dropped; ids that are not there are
// ignored).

#include <string>
#include <string_view>

#include "chat/chat_context.h"
#include "net/frame.h"
#include "net/user_roster.h"

namespace talvoro::chat {

// What one frame changed that the session's owner acts on.
struct FrameResult {
    bool newContent = false;    // the frame brought text the user has not seen
    int tab = 0;                // where: the tab of a chat message routed to a tab, else 0
    std::string sender{};       // who wrote it (Windows-1252); empty for server lines
    bool sessionEnded = false;  // a refusal or a pushed version ended the session
};

// Routes, handles and counts one frame.
FrameResult HandleFrame(ChatContext& ctx, const net::Frame& frame);
// A roster from the server: the welcome of this client (more than one record, or the own name
// last) or another user joining. Records without a name (connections that have not logged on)
// are left out; a record whose id is listed already replaces that user's record. Returns whether
// another user joined (new content).
bool ApplyUserRoster(ChatContext& ctx, const net::UserRoster& roster);
// The server pushed a newer version: restart question, then the program ends.
void InstallNewVersion(ChatContext& ctx, std::string_view versionText);
// The server connection no longer takes data: reconnect question (Yes starts the program again
// with its own arguments), then the program ends. Asks nothing when the session is ending anyway.
void ConnectionLost(ChatContext& ctx);

}  // namespace talvoro::chat
