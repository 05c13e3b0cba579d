#include "server/relay.h"

#include "net/message_kind.h"
#include "net/text_fields.h"
#include "server/moderation.h"
#include "server/topic_rules.h"

namespace talvoro::server {

using net::MessageKind;

namespace {

std::string Stamped(ConnectionId id, std::string_view text) {
    // text begins with its kind character, so the result reads K + id + K + rest.
    return std::string(1, text[0]) + net::NumberText(id) + std::string(text);
}

bool EndsWithOne(std::string_view text) {
    return !text.empty() && text.back() == '1';
}

// text = K + "@@" + name + ": " + message. The name ends at the first ": " after its first
// character; the message is everything after that.
void RelayWhisper(ServerState& state, ConnectionId id, std::string_view text) {
    const std::string_view rest = text.size() > 3 ? text.substr(3) : std::string_view{};
    const std::size_t colon = rest.size() > 1 ? rest.find(": ", 1) : std::string_view::npos;
    const std::string_view name =
        colon == std::string_view::npos ? std::string_view{} : rest.substr(0, colon);
    const ConnectionId target = state.table.FindByName(name);
    const std::string sender(state.table.NameOf(id));
    if (target == 0) {
        state.outbox.Log(false, sender + " tried to whisper to unknown user " + std::string(name));
        return;
    }
    const std::string_view message = rest.substr(colon + 2);
    if (state.settings.TraceWhisper.load() != 0 && !state.IsOperator(target) &&
        !state.IsOperator(id)) {
        state.outbox.Line(LineTarget::CurrentTab, "** " + sender + " --> " + std::string(name) +
                                                      ": " + std::string(message) + state.Stamp());
    }
    const char k = text[0];
    state.SendToClient(target, std::string(1, k) + net::NumberText(id) + k + std::string(message));
}

void RelayRejectNotice(ServerState& state, ConnectionId id, std::string_view text) {
    const ConnectionId target = net::ReadNumber(text.substr(1));
    if (state.table.Find(target) != nullptr) {
        state.SendToClient(target, std::string(1, text[0]) + net::NumberText(id));
    }
}

bool FromOperator(ServerState& state, ConnectionId id, std::uint8_t kind) {
    if (state.IsOperator(id)) {
        return true;
    }
    state.outbox.Log(true, std::string(net::KindName(kind)) + " from " +
                               std::string(state.table.NameOf(id)) + " (" + state.AddressOf(id) +
                               ") ignored: only the server operator may send it");
    return false;
}

std::string_view From(std::string_view text, std::size_t position) {
    return position <= text.size() ? text.substr(position) : std::string_view{};
}

}  // namespace

std::string RelayFrame(ServerState& state, ConnectionId id, std::uint8_t kind,
                       std::string_view text) {
    if (text.empty() || state.table.NameOf(id).empty()) {
        return {};
    }
    switch (static_cast<MessageKind>(kind)) {
        case MessageKind::Refusal:
            return FromOperator(state, id, kind) ? std::string(text) : std::string();
        case MessageKind::FileReceiveStatus:
            if (EndsWithOne(text)) {
                state.noFileReceive.insert(id);
            } else {
                state.noFileReceive.erase(id);
            }
            state.Broadcast(Stamped(id, text));
            return {};
        case MessageKind::TopicOpen:
            RelayTopicOpen(state, id, text);
            return {};
        case MessageKind::TopicClose:
            RelayTopicClose(state, id, text);
            return {};
        case MessageKind::AwayStatus:
            state.awaySet.erase(id);
            if (EndsWithOne(text)) {
                state.awaySet.insert(id);
            }
            state.Broadcast(Stamped(id, text));
            return {};
        case MessageKind::RejectNotice:
            RelayRejectNotice(state, id, text);
            return {};
        case MessageKind::Whisper:
            RelayWhisper(state, id, text);
            return {};
        case MessageKind::FileHeader:
            state.pendingFile = {std::string(net::Field(text, text[0], 2)),
                                 std::string(net::FieldsFrom(text, text[0], 3))};
            return {};
        case MessageKind::KickCommand:  // K + "**kick " + name
            return FromOperator(state, id, kind) ? KickOrBan(state, From(text, 8), "kick")
                                                 : std::string();
        case MessageKind::BanCommand:  // K + "**ban " + name
            return FromOperator(state, id, kind) ? KickOrBan(state, From(text, 7), "bann")
                                                 : std::string();
        case MessageKind::PublicMessage:
            return Stamped(id, text);
        default:  // Heartbeat and every kind the server has no rule for
            return {};
    }
}

}  // namespace talvoro::server
