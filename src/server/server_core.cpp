#include "server/server_core.h"

#include <algorithm>

#include "net/message_kind.h"
#include "net/text_fields.h"
#include "server/admission.h"
#include "server/relay.h"

namespace talvoro::server {

using net::MessageKind;

ServerCore::ServerCore(const app::Settings& settings, const Clock& clock, ServerConfig config)
    : state_(settings, clock, std::move(config)) {}

void ServerCore::Started(std::uint16_t port) {
    state_.outbox.Line(LineTarget::MainView, "** Talvoro server created on port " +
                                                 net::NumberText(port) + state_.Stamp());
}

void ServerCore::Accepted(ConnectionId id, const PeerEndpoint& peer) {
    AdmitConnection(state_, id, peer);
}

void ServerCore::FrameReceived(ConnectionId id, const net::Frame& frame) {
    state_.topic = frame.topic;
    std::string out;
    if (frame.kind == static_cast<std::uint8_t>(MessageKind::Logon)) {
        HandleLogon(state_, id, frame.text);
    } else {
        out = RelayFrame(state_, id, frame.kind, frame.text);
    }
    if (!out.empty() && !state_.table.NameOf(id).empty()) {
        state_.Broadcast(out);
    }
    if (frame.kind != static_cast<std::uint8_t>(MessageKind::Heartbeat)) {
        keepAlive_.Stop();
    }
}

void ServerCore::Closed(ConnectionId id) {
    state_.DropClient(id);
}

void ServerCore::SendFailed(ConnectionId id) {
    if (state_.table.Find(id) != nullptr || state_.detached.contains(id)) {
        state_.BrokenConnection(id);
    }
}

std::optional<PendingFileHeader> ServerCore::FileBlockStarts(ConnectionId id) {
    if (state_.table.NameOf(id).empty()) {
        return std::nullopt;
    }
    PendingFileHeader header = state_.pendingFile;
    state_.pendingFile.fileName.clear();
    return header;
}

void ServerCore::Idle() {
    keepAlive_.Arm(state_.clock.Now(), state_.settings.KeepAlive.load() != 0,
                   std::chrono::seconds(state_.settings.KeepAliveCycleTime.load()));
}

void ServerCore::Tick() {
    if (keepAlive_.Expire(state_.clock.Now())) {
        state_.Broadcast(std::string(1, net::KindChar(MessageKind::Heartbeat)) +
                         "** Server Keep-Alive");
    }
    CloseLateConnections(state_);
}

std::optional<SteadyTime> ServerCore::NextDeadline() const {
    const std::optional<SteadyTime> keepAlive = keepAlive_.deadline();
    const std::optional<SteadyTime> logon = NextLogonDeadline(state_);
    if (keepAlive && logon) {
        return std::min(*keepAlive, *logon);
    }
    return keepAlive ? keepAlive : logon;
}

void ServerCore::BroadcastHeartbeat() {
    state_.Broadcast(std::string(1, net::KindChar(MessageKind::Heartbeat)) + "#");
}

void ServerCore::StopKeepAlive() {
    keepAlive_.Stop();
}

void ServerCore::BroadcastTermination() {
    state_.Broadcast(std::string(1, net::KindChar(MessageKind::Refusal)) +
                     "** Server has been terminated!");
}

void ServerCore::SendToClient(ConnectionId id, std::string_view payload) {
    state_.SendToClient(id, payload);
}

void ServerCore::Refuse(ConnectionId id, std::string_view logText, std::string_view clientText) {
    state_.Refuse(id, logText, clientText);
}

void ServerCore::CloseConnection(ConnectionId id) {
    state_.RemoveClient(id);
}

void ServerCore::SetOperatorPeer(const PeerEndpoint& peer) {
    state_.operatorPeer = peer;
    for (const ConnectionRecord& record : state_.table.records()) {
        if (record.address == peer.address && record.peerPort == peer.port) {
            state_.operatorId = record.id;
        }
    }
}

}  // namespace talvoro::server
