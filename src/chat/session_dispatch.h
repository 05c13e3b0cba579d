#pragma once
// What each frame from the server does to the client: the users who join and leave, status
// changes, chat messages, notices, topics, a refusal, a pushed version. Also the question when
// the server connection is lost.
//
// Thread: GUI thread only. Frames of unknown kinds and malformed fields change nothing that
// could break the model (a roster that does not decode is dropped; ids that are not there are
// ignored).

#include <string_view>

#include "chat/chat_context.h"
#include "net/frame.h"
#include "net/user_roster.h"

namespace talvoro::chat {

// Routes, dispatches and counts one frame.
void DispatchFrame(ChatContext& ctx, const net::Frame& frame);
// A roster from the server: the welcome of this client (more than one record, or the own name
// last) or another user joining. Records without a name (connections that have not logged on)
// are left out; a record whose id is listed already replaces that user's record.
void ApplyUserRoster(ChatContext& ctx, const net::UserRoster& roster);
// The server pushed a newer version: restart question, then the program ends.
void InstallNewVersion(ChatContext& ctx, std::string_view versionText);
// The server connection no longer takes data: reconnect question (Yes starts the program again
// with its own arguments), then the program ends. Asks nothing when the session is ending anyway.
void ConnectionLost(ChatContext& ctx);

}  // namespace talvoro::chat
