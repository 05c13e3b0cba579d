#include "net/messages_chat.h"

#include "net/payload_fields.h"

namespace talvoro::net {

namespace {

constexpr std::string_view kWhisperMark = "@@";
constexpr std::string_view kWhisperColon = ": ";

}  // namespace

std::string PublicMessageToServer::Encode() const {
    return JoinFields(kKind, {text});
}

std::optional<PublicMessageToServer> PublicMessageToServer::Decode(std::string_view body) {
    return PublicMessageToServer{std::string(TextOf(body))};
}

std::string PublicMessage::Encode() const {
    return JoinFields(kKind, {NumberText(sender), text});
}

std::optional<PublicMessage> PublicMessage::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 2);
    return PublicMessage{fields.Number(1), std::string(fields.Text(2))};
}

std::string WhisperToServer::Encode() const {
    std::string addressed(kWhisperMark);
    addressed += recipient;
    addressed += kWhisperColon;
    addressed += text;
    return JoinFields(kKind, {addressed});
}

std::optional<WhisperToServer> WhisperToServer::Decode(std::string_view body) {
    const std::string_view whole = TextOf(body);
    const std::string_view rest =
        whole.size() > kWhisperMark.size() ? whole.substr(kWhisperMark.size()) : std::string_view{};
    const std::size_t colon =
        rest.size() > 1 ? rest.find(kWhisperColon, 1) : std::string_view::npos;
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    return WhisperToServer{std::string(rest.substr(0, colon)),
                           std::string(rest.substr(colon + kWhisperColon.size()))};
}

std::string Whisper::Encode() const {
    return JoinFields(kKind, {NumberText(sender), text});
}

std::optional<Whisper> Whisper::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 2);
    return Whisper{fields.Number(1), std::string(fields.Text(2))};
}

std::string Heartbeat::Encode() const {
    return JoinFields(kKind, {text});
}

std::optional<Heartbeat> Heartbeat::Decode(std::string_view body) {
    return Heartbeat{std::string(TextOf(body))};
}

std::string ServerNotice::Encode() const {
    return JoinFields(kKind, {text});
}

std::optional<ServerNotice> ServerNotice::Decode(std::string_view body) {
    return ServerNotice{std::string(TextOf(body))};
}

std::string UserQuit::Encode() const {
    return JoinFields(kKind, {NumberText(user), line});
}

std::optional<UserQuit> UserQuit::Decode(std::string_view body) {
    const PayloadFields fields(body, kKind, 2);
    return UserQuit{fields.Number(1), std::string(fields.Text(2))};
}

}  // namespace talvoro::net
