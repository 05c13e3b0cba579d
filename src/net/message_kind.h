#pragma once
// The 17 message kinds of the chat protocol. The kind code is the first payload byte; inside text
// payloads the same byte also separates the fields.

#include <cstdint>
#include <string_view>

namespace talvoro::net {

enum class MessageKind : std::uint8_t {
    AwayStatus = 0x92,
    Refusal = 0x93,
    FileReceiveStatus = 0x94,
    Heartbeat = 0x95,
    UserRoster = 0x96,
    UserQuit = 0x97,
    RejectNotice = 0x98,
    Whisper = 0x99,
    BanCommand = 0x9A,
    KickCommand = 0x9B,
    PublicMessage = 0x9C,
    ServerNotice = 0x9D,
    FileHeader = 0x9E,
    Logon = 0x9F,
    TopicOpen = 0xA0,
    TopicClose = 0xA1,
    NewVersion = 0xA2,
};

constexpr std::uint8_t kFirstKindCode = 0x92;
constexpr std::uint8_t kLastKindCode = 0xA2;

constexpr bool IsMessageKind(std::uint8_t code) {
    return code >= kFirstKindCode && code <= kLastKindCode;
}

// The kind as the one-byte text that starts a payload and separates its fields.
constexpr char KindChar(MessageKind kind) {
    return static_cast<char>(kind);
}

// The name of a kind for log lines and test output ("PublicMessage"), "Unknown" otherwise.
std::string_view KindName(std::uint8_t code);

}  // namespace talvoro::net
