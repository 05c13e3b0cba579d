#include "server/topic_rules.h"

#include <string>

#include "net/message_kind.h"
#include "net/text_fields.h"

namespace talvoro::server {

namespace {

constexpr char kOpen = net::KindChar(net::MessageKind::TopicOpen);
constexpr char kClose = net::KindChar(net::MessageKind::TopicClose);

std::string Stamped(ConnectionId id, std::string_view text) {
    return std::string(1, text[0]) + net::NumberText(id) + std::string(text);
}

}  // namespace

void RelayTopicOpen(ServerState& state, ConnectionId id, std::string_view text) {
    ServerTopic topic{id, std::string(net::Field(text, kOpen, 2)),
                      net::ReadNumber(net::Field(text, kOpen, 3)) != 0, state.clock.DateValue()};
    if (!state.topics.Open(std::move(topic))) {
        return;  // every client holds three topics at most
    }
    state.Broadcast(Stamped(id, text));
}

void RelayTopicClose(ServerState& state, ConnectionId id, std::string_view text) {
    const int position = net::ReadNumber(net::Field(text, kClose, 2));
    const ServerTopic* topic = state.topics.At(position);
    if (topic == nullptr) {
        return;
    }
    if (!state.IsOperator(id) && topic->owner != id && topic->owner != 0) {
        state.outbox.Log(true, "Topic close from " + std::string(state.table.NameOf(id)) + " (" +
                                   state.AddressOf(id) + ") ignored: the topic is not theirs");
        return;
    }
    state.topics.Close(position);
    state.Broadcast(Stamped(id, text));
}

void AnnounceTopics(ServerState& state, ConnectionId id) {
    for (const ServerTopic& topic : state.topics.Topics()) {
        state.SendToClient(id, std::string(1, kOpen) + net::NumberText(topic.owner) + kOpen +
                                   topic.title + kOpen + (topic.sticky ? "1" : "0") + kOpen +
                                   net::NumberText(topic.spawned));
    }
}

}  // namespace talvoro::server
