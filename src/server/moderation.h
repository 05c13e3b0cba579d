#pragma once
// Moderation: the operator's kick and ban commands and the ban list they feed. Only frames from
// the operator's own connection reach KickOrBan (relay.cpp checks that).
//
// Threads: server rules only (see server_state.h).

#include <string>
#include <string_view>

#include "server/server_state.h"

namespace talvoro::server {

// True when connections from `address` are refused. An empty address is never banned.
bool IsBanned(const ServerState& state, std::string_view address);

// Removes the user called `name` (exact comparison) from the server; `verb` is "kick" or "bann".
// The user gets "** You have been kicked from SERVER host" (or "banned"), a ban also bars the
// user's peer address for the life of the process. Returns the UserQuit payload to broadcast, or
// "" when nothing was done: the name is the operator's own, or nobody carries it (both cases
// show a server line on the operator's current tab).
std::string KickOrBan(ServerState& state, std::string_view name, std::string_view verb);

}  // namespace talvoro::server
