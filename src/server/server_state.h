#pragma once
// The state of the chat server and the few operations every rule builds on: sending to one
// client, broadcasting, removing, dropping and refusing a client. The rules of admission, relay,
// moderation and keep-alive (their own files) work on this state; ServerCore drives them.
//
// Threads: used only by the thread that runs the rules (the server thread, under the server
// lock). Nothing here touches a socket: every effect goes into `outbox`.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "server/client_table.h"
#include "server/keep_alive.h"
#include "server/outbox.h"
#include "server/server_clock.h"
#include "server/topic_registry.h"

namespace talvoro::server {

struct ServerConfig {
    std::string hostName;  // the "Host" setting: the server's name in refusals and notices
    // The "UserName" setting: the sender of a pushed update while the operator's record is not
    // known.
    std::string ownName;
    // A connection that has not logged on by then is closed.
    std::chrono::seconds logonDeadline{60};
    // "KeepAliveCycleTime" is held to this..kKeepAliveCycleMax seconds.
    std::chrono::seconds keepAliveCycleMin{kKeepAliveCycleMin};
};

struct ServerState {
    ServerState(const app::Settings& settingsIn, const Clock& clockIn, ServerConfig configIn);

    const app::Settings& settings;  // KeepAlive, KeepAliveCycleTime, TraceWhisper are read
    const Clock& clock;
    const ServerConfig config;

    ClientTable table;
    std::vector<std::string> banList;      // peer addresses; only grows
    std::set<ConnectionId> awaySet;        // last AwayStatus was "1"
    std::set<ConnectionId> noFileReceive;  // last FileReceiveStatus (or Logon flag) was "1"
    // Open connections that have no record: those handed to the version push (id -> address).
    std::map<ConnectionId, std::string> detached;
    std::int16_t serverVersion = app::kInitialServerVersion;
    TopicRegistry topics;         // the open topics, from the topic frames relayed
    ConnectionId operatorId = 0;  // the operator's own client's connection, 0 while unknown
    std::optional<PeerEndpoint> operatorPeer;
    std::int8_t topic = 0;  // topic byte of the frame handled last; every frame sent carries it
    Outbox outbox;

    // " (hh:ii:ss)" of the local wall clock now.
    std::string Stamp() const;

    bool IsOperator(ConnectionId id) const { return id != 0 && id == operatorId; }

    // The peer address of a connection with or without a record; "" when unknown.
    std::string AddressOf(ConnectionId id) const;

    // Frames `payload` with the current topic for one client / for every record in table order,
    // named or not. A payload that cannot be framed (over 4093 bytes) is logged and not sent.
    void SendToClient(ConnectionId id, std::string_view payload);
    void Broadcast(std::string_view payload);

    // Forgets the connection (record, away and no-file entries) and closes it. No notice.
    void RemoveClient(ConnectionId id);

    // The end of a connection: removes it; tells the others "** name has quit", or logs
    // "Unknown user has quit! (address)" for a connection that never logged on.
    void DropClient(ConnectionId id);

    // A send that could not be completed: logged, then DropClient.
    void BrokenConnection(ConnectionId id);

    // Sends the Refusal "** " + clientText + " SERVER " + host + "!", shows "** " + logText to the
    // operator, logs logText with the peer address, then removes and closes the connection.
    void Refuse(ConnectionId id, std::string_view logText, std::string_view clientText);
};

}  // namespace talvoro::server
