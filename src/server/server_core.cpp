#include "server/server_core.h"

#include <algorithm>

#include "net/messages.h"
#include "server/admission.h"
#include "server/relay.h"

namespace talvoro::server {

using net::MessageKind;

ServerCore::ServerCore(const app::Settings& settings, const Clock& clock, ServerConfig config)
    : state_(settings, clock, std::move(config)) {}

void ServerCore::Started(std::uint16_t port) {
    state_.outbox.Line(LineTarget::MainView, "** Talvoro server created on port " +
                                                 std::to_string(port) + state_.Stamp());
}

void ServerCore::Accepted(ConnectionId id, const PeerEndpoint& peer) {
    AdmitConnection(state_, id, peer);
}

void ServerCore::FrameReceived(ConnectionId id, const net::Frame& frame) {
    state_.topic = frame.topic;
    std::string out;
    if (const auto logon = net::DecodeFrame<net::Logon>(frame)) {
        HandleLogon(state_, id, *logon);
    } else {
        out = RelayFrame(state_, id, frame);
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
    ConnectionRecord* record = state_.table.Find(id);
    if (record == nullptr || !record->LoggedOn()) {
        return std::nullopt;
    }
    PendingFileHeader header = record->pendingFile;
    record->pendingFile.fileName.clear();
    return header;
}

void ServerCore::Idle() {
    // A hand-edited cycle is held to the range the Options dialog allows.
    const auto cycleMin = static_cast<int>(state_.config.keepAliveCycleMin.count());
    const int cycle = std::clamp<int>(state_.settings.KeepAliveCycleTime.load(), cycleMin,
                                      std::max(cycleMin, kKeepAliveCycleMax));
    keepAlive_.Arm(state_.clock.Now(), state_.settings.KeepAlive.load() != 0,
                   std::chrono::seconds(cycle));
}

void ServerCore::Tick() {
    if (keepAlive_.Expire(state_.clock.Now())) {
        state_.Broadcast(net::Heartbeat{std::string(net::kKeepAliveNotice)}.Encode());
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
    state_.Broadcast(net::Heartbeat{}.Encode());
}

void ServerCore::StopKeepAlive() {
    keepAlive_.Stop();
}

void ServerCore::BroadcastTermination() {
    state_.Broadcast(net::Refusal{"** Server has been terminated!"}.Encode());
}

void ServerCore::SendToClient(ConnectionId id, std::string_view payload) {
    if (state_.table.Find(id) != nullptr || state_.detached.contains(id)) {
        state_.SendToClient(id, payload);
    }
}

void ServerCore::Refuse(ConnectionId id, std::string_view logText, std::string_view clientText) {
    if (state_.table.Find(id) != nullptr || state_.detached.contains(id)) {
        state_.Refuse(id, logText, clientText);
    }
}

void ServerCore::CloseConnection(ConnectionId id) {
    if (state_.table.Find(id) != nullptr || state_.detached.contains(id)) {
        state_.RemoveClient(id);
    }
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
