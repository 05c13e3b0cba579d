#pragma once
// Admission: who may connect (ban list, the 16-record limit), who may log on (unique names under
// case folding, compatible versions), the rosters that welcome a newcomer and announce it, and
// the deadline for connections that never log on.
//
// Threads: server rules only (see server_state.h).

#include <optional>
#include <string_view>

#include "net/messages_session.h"
#include "server/server_state.h"

namespace talvoro::server {

constexpr std::int16_t kOldestCompatibleVersion = 1400;

// A new connection from `peer`: refused when its address is banned or the table is full,
// otherwise it gets a record with an empty name at the end of the table.
void AdmitConnection(ServerState& state, ConnectionId id, const PeerEndpoint& peer);

// A Logon from `id`. The name is trimmed of blanks and cut to 24 characters (what every roster
// shows) before anything else. Without a record, or on a connection that is already logged on,
// the frame has no effect.
void HandleLogon(ServerState& state, ConnectionId id, const net::Logon& logon);

// Closes the connections whose logon deadline has passed without a Logon being accepted.
void CloseLateConnections(ServerState& state);

// When the next such deadline falls, if any connection is still waiting to log on.
std::optional<SteadyTime> NextLogonDeadline(const ServerState& state);

}  // namespace talvoro::server
