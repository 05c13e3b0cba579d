#pragma once
// The server's rules for topics: it relays spawn and close requests to everybody and keeps its
// own list of the open topics from them, so that a client joining later is told every open topic,
// in tab order, with its owner (0 once the owner has left), title, sticky flag and spawn time.
//
// Titles are cut to 24 characters. A request that no client would act on is dropped instead of
// relayed: an empty title, a fourth topic, a close
// for a position that names no topic, and a close by someone other than the server's operator,
// the topic's owner, or anybody for a topic whose owner has left (logged).
//
// Thread: the thread that runs the server rules, like ServerState.

#include <cstddef>

#include "net/messages.h"
#include "server/server_state.h"

namespace talvoro::server {

constexpr std::size_t kMaxTopicTitle = 24;

void RelayTopicOpen(ServerState& state, ConnectionId id, const net::TopicOpenToServer& request);
void RelayTopicClose(ServerState& state, ConnectionId id, const net::TopicCloseToServer& request);

// Sends the newly admitted client `id` one TopicOpen per open topic.
void AnnounceTopics(ServerState& state, ConnectionId id);

}  // namespace talvoro::server
