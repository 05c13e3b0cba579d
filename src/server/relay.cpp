#include "server/relay.h"

#include "app/event_log.h"
#include "net/messages.h"
#include "server/moderation.h"
#include "server/topic_rules.h"

namespace talvoro::server {

using net::MessageKind;

namespace {

// A whisper goes to its recipient only, rebuilt as K + sender id + K + text.
void RelayWhisper(ServerState& state, ConnectionId id, const net::Frame& frame) {
    const auto whisper = net::DecodeFrame<net::WhisperToServer>(frame);
    const std::string name = whisper ? whisper->recipient : std::string();
    const ConnectionId target = state.table.FindByName(name);
    const std::string sender(state.table.NameOf(id));
    if (target == 0) {
        state.outbox.Log(false, app::LogSafe(sender) + " tried to whisper to unknown user " +
                                    app::LogSafe(name));
        return;
    }
    if (state.settings.TraceWhisper.load() != 0 && !state.IsOperator(target) &&
        !state.IsOperator(id)) {
        state.outbox.Line(LineTarget::CurrentTab,
                          "** " + sender + " --> " + name + ": " + whisper->text + state.Stamp());
    }
    state.SendToClient(target, net::Whisper{id, whisper->text}.Encode());
}

void RelayRejectNotice(ServerState& state, ConnectionId id, const net::Frame& frame) {
    const auto notice = net::DecodeFrame<net::RejectNotice>(frame);
    if (notice && state.table.Find(notice->user) != nullptr) {
        state.SendToClient(notice->user, net::RejectNotice{id}.Encode());
    }
}

bool FromOperator(ServerState& state, ConnectionId id, std::uint8_t kind) {
    if (state.IsOperator(id)) {
        return true;
    }
    state.outbox.Log(true, std::string(net::KindName(kind)) + " from " +
                               app::LogSafe(state.table.NameOf(id)) + " (" + state.AddressOf(id) +
                               ") ignored: only the server operator may send it");
    return false;
}

}  // namespace

std::string RelayFrame(ServerState& state, ConnectionId id, const net::Frame& frame) {
    if (state.table.NameOf(id).empty()) {
        return {};
    }
    switch (static_cast<MessageKind>(frame.kind)) {
        case MessageKind::Refusal:
            if (const auto refusal = net::DecodeFrame<net::Refusal>(frame);
                refusal && FromOperator(state, id, frame.kind)) {
                return refusal->Encode();
            }
            return {};
        case MessageKind::FileReceiveStatus:
            if (const auto status = net::DecodeFrame<net::FileReceiveStatusToServer>(frame)) {
                if (status->disabled) {
                    state.noFileReceive.insert(id);
                } else {
                    state.noFileReceive.erase(id);
                }
                state.Broadcast(net::FileReceiveStatus{id, status->disabled}.Encode());
            }
            return {};
        case MessageKind::TopicOpen:
            if (const auto topic = net::DecodeFrame<net::TopicOpenToServer>(frame)) {
                RelayTopicOpen(state, id, *topic);
            }
            return {};
        case MessageKind::TopicClose:
            if (const auto topic = net::DecodeFrame<net::TopicCloseToServer>(frame)) {
                RelayTopicClose(state, id, *topic);
            }
            return {};
        case MessageKind::AwayStatus:
            if (const auto status = net::DecodeFrame<net::AwayStatusToServer>(frame)) {
                state.awaySet.erase(id);
                if (status->away) {
                    state.awaySet.insert(id);
                }
                state.Broadcast(net::AwayStatus{id, status->away}.Encode());
            }
            return {};
        case MessageKind::RejectNotice:
            RelayRejectNotice(state, id, frame);
            return {};
        case MessageKind::Whisper:
            RelayWhisper(state, id, frame);
            return {};
        case MessageKind::FileHeader:
            if (auto header = net::DecodeFrame<net::FileHeader>(frame)) {
                state.table.Find(id)->pendingFile = {std::move(header->sender),
                                                     std::move(header->fileName)};
            }
            return {};
        case MessageKind::KickCommand:
            if (const auto kick = net::DecodeFrame<net::KickCommand>(frame);
                kick && FromOperator(state, id, frame.kind)) {
                return KickOrBan(state, kick->name, "kick");
            }
            return {};
        case MessageKind::BanCommand:
            if (const auto ban = net::DecodeFrame<net::BanCommand>(frame);
                ban && FromOperator(state, id, frame.kind)) {
                return KickOrBan(state, ban->name, "bann");
            }
            return {};
        case MessageKind::PublicMessage:
            if (auto message = net::DecodeFrame<net::PublicMessageToServer>(frame)) {
                return net::PublicMessage{id, std::move(message->text)}.Encode();
            }
            return {};
        default:  // Heartbeat and every kind the server has no rule for
            return {};
    }
}

}  // namespace talvoro::server
