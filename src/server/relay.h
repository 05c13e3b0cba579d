#pragma once
// The relay rules for every frame except Logon: public messages and status changes are stamped
// with the sender's id and go to everyone, whispers and reject notices go to one user, file
// headers are remembered for the file block that follows, and the operator's kick, ban and
// termination frames are carried out.
//
// Sound limits beyond the bare rules: frames from a connection that has not logged on are
// dropped (nobody can speak, whisper or change status anonymously), and KickCommand, BanCommand
// and Refusal are obeyed only from the operator's own connection (others are dropped and logged).
//
// Threads: server rules only (see server_state.h).

#include <cstdint>
#include <string>
#include <string_view>

#include "net/frame.h"
#include "server/server_state.h"

namespace talvoro::server {

// Applies the rule for the frame's kind to a frame from `id`. Returns the payload the
// after-frame step broadcasts (empty: nothing).
std::string RelayFrame(ServerState& state, ConnectionId id, const net::Frame& frame);

}  // namespace talvoro::server
