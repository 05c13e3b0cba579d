#include "server/admission.h"

#include <algorithm>
#include <vector>

#include "app/date_time.h"
#include "app/event_log.h"
#include "net/messages.h"
#include "server/moderation.h"
#include "server/topic_rules.h"

namespace talvoro::server {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The name as everybody will see it in rosters: trimmed and cut to the roster's 24 characters.
std::string AdmittedName(std::string_view name) {
    return std::string(TrimBlanks(TrimBlanks(name).substr(0, net::kRosterNameMax)));
}

net::UserRecord RosterRecord(const ConnectionRecord& record, bool fileReceiveDisabled, bool away) {
    return net::UserRecord{record.id,      record.logonTime, record.name,         record.color,
                           record.address, record.version,   fileReceiveDisabled, away};
}

// The newcomer gets every record with its own last; everybody else gets the newcomer's record.
void SendUserRoster(ServerState& state, const ConnectionRecord& newcomer, bool fileFlag) {
    std::vector<net::UserRecord> users;
    users.reserve(state.table.size());
    for (const ConnectionRecord& record : state.table.records()) {
        if (record.id != newcomer.id) {
            users.push_back(RosterRecord(record, state.noFileReceive.contains(record.id),
                                         state.awaySet.contains(record.id)));
        }
    }
    const net::UserRecord own = RosterRecord(newcomer, fileFlag, false);
    users.push_back(own);
    // Rosters always travel on topic 0.
    state.outbox.Send(newcomer.id, 0, net::UserRoster{users, state.serverVersion}.Encode());
    state.outbox.Send(state.table.IdsExcept(newcomer.id), 0,
                      net::UserRoster{{own}, state.serverVersion}.Encode());
}

// The client is older than this build: it leaves the table and gets the program pushed (or the
// "way too old" refusal) by a task; the task closes the connection.
void StartVersionPush(ServerState& state, const ConnectionRecord& record, bool fileFlag) {
    const std::string_view operatorName = state.table.NameOf(state.operatorId);
    VersionPushRequest request{
        record.id,      record.name,
        record.address, app::FormatVersion(record.version),
        fileFlag,       std::string(operatorName.empty() ? state.config.ownName : operatorName)};
    // `record` lives in the table: only `request` is used from here on.
    state.table.Remove(request.id);
    state.detached[request.id] = request.address;
    state.awaySet.erase(request.id);
    state.noFileReceive.erase(request.id);
    if (state.operatorId == request.id) {
        state.operatorId = 0;
    }
    state.outbox.Add(action::StartVersionPush{std::move(request)});
}

// The sticky topics' text goes to the newcomer's file server by a task; a newcomer whose file
// server is off gets the announcements only.
void StartStickyTopics(ServerState& state, const ConnectionRecord& record) {
    StickyTopicsRequest request{record.id, record.address, {}};
    const std::vector<ServerTopic>& topics = state.topics.Topics();
    for (std::size_t i = 0; i < topics.size(); ++i) {
        if (topics[i].sticky) {
            request.topics.push_back(StickyTopic{static_cast<int>(i) + 1, topics[i].title});
        }
    }
    if (!request.topics.empty()) {
        state.outbox.Add(action::StartStickyTopics{std::move(request)});
    }
}

}  // namespace

void AdmitConnection(ServerState& state, ConnectionId id, const PeerEndpoint& peer) {
    state.detached[id] = peer.address;  // lets Refuse log the address before a record exists
    if (IsBanned(state, peer.address)) {
        state.Refuse(id, "Banned client tried to connect", "You are already banned at");
        return;
    }
    if (state.table.Full()) {
        state.Refuse(id, "Client could not connect (too many users)",
                     "Too many users connected to");
        return;
    }
    state.detached.erase(id);
    ConnectionRecord record;
    record.id = id;
    record.address = peer.address;
    record.peerPort = peer.port;
    record.acceptedAt = state.clock.Now();
    state.table.Append(std::move(record));
    if (state.operatorPeer && *state.operatorPeer == peer) {
        state.operatorId = id;
    }
}

void HandleLogon(ServerState& state, ConnectionId id, const net::Logon& logon) {
    ConnectionRecord* record = state.table.Find(id);
    if (record == nullptr || record->LoggedOn()) {
        return;
    }
    const std::string name = AdmittedName(logon.name);
    if (state.table.NameTaken(name)) {
        state.Refuse(id,
                     "New user " + app::LogSafe(name) + " tried to connect.\n" +
                         "** Has been rejected because of duplicate username",
                     "User " + name + " is already connected to");
        return;
    }
    record->name = name;
    record->logonTime = state.clock.DateValue();
    record->color = logon.color;
    record->version = static_cast<std::int16_t>(logon.version);
    const auto serverWanted = static_cast<std::int16_t>(logon.oldestServer);
    const bool fileFlag = logon.fileReceiveDisabled;

    if (name.empty() || record->version < kOldestCompatibleVersion ||
        serverWanted < kOldestCompatibleVersion) {
        state.Refuse(id, "Incompatible client tried to connect", "Sorry, you can't connect to");
        return;
    }
    if (record->version < app::kClientVersion) {
        StartVersionPush(state, *record, fileFlag);
        return;
    }
    if (serverWanted > app::kClientVersion) {
        const std::string client = app::FormatVersion(record->version);
        state.Refuse(id,
                     "Server (" + app::FormatVersion(app::kClientVersion) +
                         ") is too old for client (" + client + ")",
                     "Your client version " + client + " can't be handled by the server.\n" +
                         "** I'm sorry, you won't be able to connect to");
        return;
    }
    state.serverVersion = std::max(state.serverVersion, record->version);
    if (fileFlag) {
        state.noFileReceive.insert(id);
    } else {
        state.noFileReceive.erase(id);
    }
    SendUserRoster(state, *record, fileFlag);
    if (!state.IsOperator(id)) {
        AnnounceTopics(state, id);
        if (!fileFlag) {
            StartStickyTopics(state, *record);
        }
    }
}

void CloseLateConnections(ServerState& state) {
    const SteadyTime now = state.clock.Now();
    std::vector<ConnectionId> late;
    for (const ConnectionRecord& record : state.table.records()) {
        if (!record.LoggedOn() && record.acceptedAt + state.config.logonDeadline <= now) {
            late.push_back(record.id);
        }
    }
    for (const ConnectionId id : late) {
        state.outbox.Log(false, "Client did not log on in time, connection closed (" +
                                    state.AddressOf(id) + ")");
        state.RemoveClient(id);
    }
}

std::optional<SteadyTime> NextLogonDeadline(const ServerState& state) {
    std::optional<SteadyTime> next;
    for (const ConnectionRecord& record : state.table.records()) {
        if (!record.LoggedOn()) {
            const SteadyTime due = record.acceptedAt + state.config.logonDeadline;
            next = next ? std::min(*next, due) : due;
        }
    }
    return next;
}

}  // namespace talvoro::server
