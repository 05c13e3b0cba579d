#include "server/topic_rules.h"

#include <string>

namespace talvoro::server {

void RelayTopicOpen(ServerState& state, ConnectionId id, const net::TopicOpenToServer& request) {
    // Every client shows the same title, no longer than the spawn dialog allows.
    const std::string title = request.title.substr(0, kMaxTopicTitle);
    if (title.empty()) {
        return;
    }
    if (!state.topics.Open(ServerTopic{id, title, request.sticky, state.clock.DateValue()})) {
        return;  // every client holds three topics at most
    }
    state.Broadcast(net::TopicOpen{id, title, request.sticky, {}}.Encode());
}

void RelayTopicClose(ServerState& state, ConnectionId id, const net::TopicCloseToServer& request) {
    const ServerTopic* topic = state.topics.At(request.position);
    if (topic == nullptr) {
        return;
    }
    if (!state.IsOperator(id) && topic->owner != id && topic->owner != 0) {
        state.outbox.Log(true, "Topic close from " + std::string(state.table.NameOf(id)) + " (" +
                                   state.AddressOf(id) + ") ignored: the topic is not theirs");
        return;
    }
    state.topics.Close(request.position);
    state.Broadcast(net::TopicClose{id, request.position}.Encode());
}

void AnnounceTopics(ServerState& state, ConnectionId id) {
    for (const ServerTopic& topic : state.topics.Topics()) {
        state.SendToClient(
            id, net::TopicOpen{topic.owner, topic.title, topic.sticky, topic.spawned}.Encode());
    }
}

}  // namespace talvoro::server
