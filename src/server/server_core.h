#pragma once
// The chat server's rules without sockets. The I/O loop (chat_server.h) feeds it what happened -
// a connection accepted, a frame received, a connection closed or broken, time passing - and
// carries out the actions it queues (outbox.h). Deterministic: the clock is injected.
//
// Threads: one thread at a time (the server thread, holding the server lock). Settings are read
// through their atomics, so the GUI thread may change them meanwhile.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "net/frame.h"
#include "server/keep_alive.h"
#include "server/server_state.h"

namespace talvoro::server {

class ServerCore {
  public:
    ServerCore(const app::Settings& settings, const Clock& clock, ServerConfig config);

    // "** Talvoro server created on port N (hh:ii:ss)" for the operator.
    void Started(std::uint16_t port);

    // Events from the transport.
    void Accepted(ConnectionId id, const PeerEndpoint& peer);
    // A frame read from `id`; its payload is read through the message types.
    void FrameReceived(ConnectionId id, const net::Frame& frame);
    // The peer closed the connection (the transport has closed it already).
    void Closed(ConnectionId id);
    // A send to `id` failed or stalled beyond its bound.
    void SendFailed(ConnectionId id);
    // A file block starts on `id`: returns its sender and file name (the pending FileHeader,
    // whose file name is then cleared), or nullopt when the block is to be discarded because the
    // connection has not logged on.
    std::optional<PendingFileHeader> FileBlockStarts(ConnectionId id);

    // Time: Idle() after each round of events (arms the keep-alive timer); Tick() when
    // NextDeadline() has come (keep-alive notice, connections late to log on).
    void Idle();
    void Tick();
    std::optional<SteadyTime> NextDeadline() const;

    // Requests that other threads queue for the server thread.
    void BroadcastHeartbeat();    // the 71-second Heartbeat "#" to everyone
    void StopKeepAlive();         // after the Options dialog changed the keep-alive settings
    void BroadcastTermination();  // "** Server has been terminated!" to everyone
    // From the bootstrap tasks; a connection that has gone meanwhile is left alone.
    void SendToClient(ConnectionId id, std::string_view payload);
    void Refuse(ConnectionId id, std::string_view logText, std::string_view clientText);
    void CloseConnection(ConnectionId id);  // silently, e.g. at the end of a version push

    // The operator's own client connects from `peer`; its connection alone may kick, ban and
    // end the server. Works whether the connection was accepted before or after this call.
    void SetOperatorPeer(const PeerEndpoint& peer);

    std::size_t RecordCount() const { return state_.table.size(); }
    const ServerState& state() const { return state_; }

    // Everything queued since the last call, in order.
    std::vector<Action> TakeActions() { return state_.outbox.Take(); }

  private:
    ServerState state_;
    KeepAliveTimer keepAlive_;
};

}  // namespace talvoro::server
