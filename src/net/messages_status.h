#pragma once
// Typed payloads of the status and topic kinds: away and file-receive status, reject notices,
// topics opened and closed. Conventions as in net/messages_chat.h. The server relays a client's
// status or topic message by putting the sender's id in front of the client's fields.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/message_kind.h"

namespace talvoro::net {

// Client to server: K + "1" (away) or K + "0" (back). Away when the payload ends with "1".
struct AwayStatusToServer {
    static constexpr MessageKind kKind = MessageKind::AwayStatus;
    bool away = false;

    std::string Encode() const;
    static std::optional<AwayStatusToServer> Decode(std::string_view body);
    bool operator==(const AwayStatusToServer&) const = default;
};

// Server to all: K + sender id + K + "1" or "0". Away when the payload ends with "1".
struct AwayStatus {
    static constexpr MessageKind kKind = MessageKind::AwayStatus;
    std::int32_t user = 0;
    bool away = false;

    std::string Encode() const;
    static std::optional<AwayStatus> Decode(std::string_view body);
    bool operator==(const AwayStatus&) const = default;
};

// Client to server: K + "1" (file receive disabled) or K + "0"; "1" at the end means disabled.
struct FileReceiveStatusToServer {
    static constexpr MessageKind kKind = MessageKind::FileReceiveStatus;
    bool disabled = false;

    std::string Encode() const;
    static std::optional<FileReceiveStatusToServer> Decode(std::string_view body);
    bool operator==(const FileReceiveStatusToServer&) const = default;
};

// Server to all: K + sender id + K + "1" or "0".
struct FileReceiveStatus {
    static constexpr MessageKind kKind = MessageKind::FileReceiveStatus;
    std::int32_t user = 0;
    bool disabled = false;

    std::string Encode() const;
    static std::optional<FileReceiveStatus> Decode(std::string_view body);
    bool operator==(const FileReceiveStatus&) const = default;
};

// K + client id: to the server the id of the user rejected (or accepted again), from the server
// to that user the id of the one who did it.
struct RejectNotice {
    static constexpr MessageKind kKind = MessageKind::RejectNotice;
    std::int32_t user = 0;

    std::string Encode() const;
    static std::optional<RejectNotice> Decode(std::string_view body);
    bool operator==(const RejectNotice&) const = default;
};

// Client to server: K + title + K + sticky flag ("1"/"0").
struct TopicOpenToServer {
    static constexpr MessageKind kKind = MessageKind::TopicOpen;
    std::string title;
    bool sticky = false;

    std::string Encode() const;
    static std::optional<TopicOpenToServer> Decode(std::string_view body);
    bool operator==(const TopicOpenToServer&) const = default;
};

// Server to all: K + owner id + K + title + K + sticky flag; to a client that has just logged on
// also + K + spawn time (a date value in seconds).
struct TopicOpen {
    static constexpr MessageKind kKind = MessageKind::TopicOpen;
    std::int32_t owner = 0;
    std::string title;
    bool sticky = false;
    std::optional<std::int32_t> spawnTime;

    std::string Encode() const;
    static std::optional<TopicOpen> Decode(std::string_view body);
    bool operator==(const TopicOpen&) const = default;
};

// Client to server: K + tab position.
struct TopicCloseToServer {
    static constexpr MessageKind kKind = MessageKind::TopicClose;
    std::int32_t position = 0;

    std::string Encode() const;
    static std::optional<TopicCloseToServer> Decode(std::string_view body);
    bool operator==(const TopicCloseToServer&) const = default;
};

// Server to all: K + sender id + K + tab position.
struct TopicClose {
    static constexpr MessageKind kKind = MessageKind::TopicClose;
    std::int32_t user = 0;
    std::int32_t position = 0;

    std::string Encode() const;
    static std::optional<TopicClose> Decode(std::string_view body);
    bool operator==(const TopicClose&) const = default;
};

}  // namespace talvoro::net
