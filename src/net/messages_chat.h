#pragma once
// Typed payloads of the chat kinds: public messages and whispers (as a client sends them and as
// the server relays them), heartbeats, server notices and quit notices.
//
// Every message type: `kKind`, `Encode()` giving the payload (kind character first, ready for
// EncodeFrame), and `Decode(body)` reading the payload bytes after the kind code (Frame::raw);
// text stops at the first 0 byte. Decode returns nullopt only where noted. Pure values; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/message_kind.h"

namespace talvoro::net {

// Client to server: K + text.
struct PublicMessageToServer {
    static constexpr MessageKind kKind = MessageKind::PublicMessage;
    std::string text;

    std::string Encode() const;
    static std::optional<PublicMessageToServer> Decode(std::string_view body);
    bool operator==(const PublicMessageToServer&) const = default;
};

// Server to all: K + sender id + K + text (the text takes the rest of the payload).
struct PublicMessage {
    static constexpr MessageKind kKind = MessageKind::PublicMessage;
    std::int32_t sender = 0;
    std::string text;

    std::string Encode() const;
    static std::optional<PublicMessage> Decode(std::string_view body);
    bool operator==(const PublicMessage&) const = default;
};

// Client to server: K + "@@" + recipient + ": " + text. The recipient ends at the first ": "
// after its first character. Decode: nullopt when there is no such ": ".
struct WhisperToServer {
    static constexpr MessageKind kKind = MessageKind::Whisper;
    std::string recipient;
    std::string text;

    std::string Encode() const;
    static std::optional<WhisperToServer> Decode(std::string_view body);
    bool operator==(const WhisperToServer&) const = default;
};

// Server to the recipient only: K + sender id + K + text.
struct Whisper {
    static constexpr MessageKind kKind = MessageKind::Whisper;
    std::int32_t sender = 0;
    std::string text;

    std::string Encode() const;
    static std::optional<Whisper> Decode(std::string_view body);
    bool operator==(const Whisper&) const = default;
};

inline constexpr std::string_view kHeartbeatMark = "#";
inline constexpr std::string_view kKeepAliveNotice = "** Server Keep-Alive";

// Both ways: K + "#" (the 71-second heartbeat) or K + "** Server Keep-Alive" (the server's
// keep-alive timer). A text not starting with "#" is a notice to show.
struct Heartbeat {
    static constexpr MessageKind kKind = MessageKind::Heartbeat;
    std::string text{kHeartbeatMark};

    bool IsNotice() const { return !text.starts_with(kHeartbeatMark); }
    std::string Encode() const;
    static std::optional<Heartbeat> Decode(std::string_view body);
    bool operator==(const Heartbeat&) const = default;
};

// Server to one client: K + "** You have been kicked from SERVER " + host (or "banned").
struct ServerNotice {
    static constexpr MessageKind kKind = MessageKind::ServerNotice;
    std::string text;

    std::string Encode() const;
    static std::optional<ServerNotice> Decode(std::string_view body);
    bool operator==(const ServerNotice&) const = default;
};

// Server to all: K + client id + K + line ("** name has quit", or "... has been kicked from
// server").
struct UserQuit {
    static constexpr MessageKind kKind = MessageKind::UserQuit;
    std::int32_t user = 0;
    std::string line;

    std::string Encode() const;
    static std::optional<UserQuit> Decode(std::string_view body);
    bool operator==(const UserQuit&) const = default;
};

}  // namespace talvoro::net
