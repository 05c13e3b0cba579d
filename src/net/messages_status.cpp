#include "net/messages_status.h"

#include "net/payload_fields.h"

namespace talvoro::net {

namespace {

std::string_view FlagText(bool on) {
    return on ? "1" : "0";
}

bool EndsWithOne(std::string_view body) {
    return TextOf(body).ends_with('1');
}

}  // namespace

std::string AwayStatusToServer::Encode() const {
    return JoinFields(kKind, {FlagText(away)});
}

std::optional<AwayStatusToServer> AwayStatusToServer::Decode(std::string_view body) {
    return AwayStatusToServer{EndsWithOne(body)};
}

std::string AwayStatus::Encode() const {
    return JoinFields(kKind, {NumberText(user), FlagText(away)});
}

std::optional<AwayStatus> AwayStatus::Decode(std::string_view body) {
    return AwayStatus{PayloadFields(body, kKind, 2).Number(1), EndsWithOne(body)};
}

std::string FileReceiveStatusToServer::Encode() const {
    return JoinFields(kKind, {FlagText(disabled)});
}

std::optional<FileReceiveStatusToServer> FileReceiveStatusToServer::Decode(std::string_view body) {
    return FileReceiveStatusToServer{EndsWithOne(body)};
}

std::string FileReceiveStatus::Encode() const {
    return JoinFields(kKind, {NumberText(user), FlagText(disabled)});
}

std::optional<FileReceiveStatus> FileReceiveStatus::Decode(std::string_view body) {
    return FileReceiveStatus{PayloadFields(body, kKind, 2).Number(1), EndsWithOne(body)};
}

std::string RejectNotice::Encode() const {
    return JoinFields(kKind, {NumberText(user)});
}

std::optional<RejectNotice> RejectNotice::Decode(std::string_view body) {
    return RejectNotice{PayloadFields(body, kKind, 1).Number(1)};
}

std::string TopicOpenToServer::Encode() const {
    return JoinFields(kKind, {title, FlagText(sticky)});
}

std::optional<TopicOpenToServer> TopicOpenToServer::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 2);
    return TopicOpenToServer{std::string(fields.Text(1)), fields.Number(2) != 0};
}

std::string TopicOpen::Encode() const {
    const std::string id = NumberText(owner);
    if (!spawnTime) {
        return JoinFields(kKind, {id, title, FlagText(sticky)});
    }
    return JoinFields(kKind, {id, title, FlagText(sticky), NumberText(*spawnTime)});
}

std::optional<TopicOpen> TopicOpen::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 4);
    TopicOpen topic{fields.Number(1), std::string(fields.Text(2)), fields.Number(3) != 0, {}};
    if (fields.Has(4)) {
        topic.spawnTime = fields.Number(4);
    }
    return topic;
}

std::string TopicCloseToServer::Encode() const {
    return JoinFields(kKind, {NumberText(position)});
}

std::optional<TopicCloseToServer> TopicCloseToServer::Decode(std::string_view body) {
    return TopicCloseToServer{PayloadFields(body, kKind, 1).Number(1)};
}

std::string TopicClose::Encode() const {
    return JoinFields(kKind, {NumberText(user), NumberText(position)});
}

std::optional<TopicClose> TopicClose::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 2);
    return TopicClose{fields.Number(1), fields.Number(2)};
}

}  // namespace talvoro::net
