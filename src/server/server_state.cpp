#include "server/server_state.h"

#include "app/date_time.h"
#include "net/messages.h"

namespace talvoro::server {

ServerState::ServerState(const app::Settings& settingsIn, const Clock& clockIn,
                         ServerConfig configIn)
    : settings(settingsIn), clock(clockIn), config(std::move(configIn)) {}

std::string ServerState::Stamp() const {
    return " (" + app::FormatDate(clock.DateValue(), "%hh:%ii:%ss") + ")";
}

std::string ServerState::AddressOf(ConnectionId id) const {
    if (const ConnectionRecord* record = table.Find(id)) {
        return record->address;
    }
    auto it = detached.find(id);
    return it == detached.end() ? std::string() : it->second;
}

namespace {

// A relayed payload grows by the sender's id and may then exceed the frame limit.
void LogUnsendable(Outbox& outbox, std::string_view payload) {
    const auto kind = payload.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(payload[0]);
    outbox.Log(true, "Message too long to send (" + std::string(net::KindName(kind)) + ", " +
                         std::to_string(payload.size()) + " bytes)");
}

}  // namespace

void ServerState::SendToClient(ConnectionId id, std::string_view payload) {
    if (!outbox.Send(id, topic, payload)) {
        LogUnsendable(outbox, payload);
    }
}

void ServerState::Broadcast(std::string_view payload) {
    if (!outbox.Send(table.Ids(), topic, payload)) {
        LogUnsendable(outbox, payload);
    }
}

void ServerState::RemoveClient(ConnectionId id) {
    table.Remove(id);
    detached.erase(id);
    awaySet.erase(id);
    noFileReceive.erase(id);
    topics.OwnerLeft(id);
    if (id == operatorId) {
        operatorId = 0;
    }
    outbox.Close(id);
}

void ServerState::DropClient(ConnectionId id) {
    const std::string name(table.NameOf(id));
    const std::string address = AddressOf(id);
    RemoveClient(id);
    if (name.empty()) {
        outbox.Log(false, "Unknown user has quit! (" + address + ")");
        return;
    }
    Broadcast(net::UserQuit{id, "** " + name + " has quit"}.Encode());
}

void ServerState::BrokenConnection(ConnectionId id) {
    outbox.Log(false, "Broken connection detected: User is unreachable!");
    DropClient(id);
}

void ServerState::Refuse(ConnectionId id, std::string_view logText, std::string_view clientText) {
    const std::string address = AddressOf(id);
    SendToClient(id,
                 net::Refusal{"** " + std::string(clientText) + " SERVER " + config.hostName + "!"}
                     .Encode());
    outbox.Line(LineTarget::MainView, "** " + std::string(logText) + Stamp());
    outbox.Log(false, std::string(logText) + " (" + address + ")");
    RemoveClient(id);
}

}  // namespace talvoro::server
