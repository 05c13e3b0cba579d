#pragma once
// Typed payloads of the session and control kinds: logon, refusal, pushed version, the
// operator's kick and ban commands, and the file header. Conventions as in net/messages_chat.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/message_kind.h"

namespace talvoro::net {

// Client to server: K + name + K + colour + K + client version + K + oldest server version
// accepted + K + file-receive flag ("1" disabled). The flag is read from the payload's last
// character. Numbers are kept as read; the server narrows versions to 16 bits.
struct Logon {
    static constexpr MessageKind kKind = MessageKind::Logon;
    std::string name;
    std::int32_t color = 0;
    std::int32_t version = 0;
    std::int32_t oldestServer = 0;
    bool fileReceiveDisabled = false;

    std::string Encode() const;
    static std::optional<Logon> Decode(std::string_view body);
    bool operator==(const Logon&) const = default;
};

// Server to one client (then the connection closes), the operator's "** Server has been
// terminated!" relayed to all, or a file server's answer to a would-be chat client: K + text.
struct Refusal {
    static constexpr MessageKind kKind = MessageKind::Refusal;
    std::string text;

    std::string Encode() const;
    static std::optional<Refusal> Decode(std::string_view body);
    bool operator==(const Refusal&) const = default;
};

// Server to one client: K + version text of the server's build ("1.6.0.0").
struct NewVersion {
    static constexpr MessageKind kKind = MessageKind::NewVersion;
    std::string versionText;

    std::string Encode() const;
    static std::optional<NewVersion> Decode(std::string_view body);
    bool operator==(const NewVersion&) const = default;
};

// The operator's client to the server: K + "**kick " + name. `word` is the command word as typed
// (any case), so the typed line goes out unchanged; the name starts after its 7 bytes.
struct KickCommand {
    static constexpr MessageKind kKind = MessageKind::KickCommand;
    std::string name;
    std::string word = "**kick ";

    std::string Encode() const;
    static std::optional<KickCommand> Decode(std::string_view body);
    bool operator==(const KickCommand&) const = default;
};

// The operator's client to the server: K + "**ban " + name, like KickCommand with a 6-byte word.
struct BanCommand {
    static constexpr MessageKind kKind = MessageKind::BanCommand;
    std::string name;
    std::string word = "**ban ";

    std::string Encode() const;
    static std::optional<BanCommand> Decode(std::string_view body);
    bool operator==(const BanCommand&) const = default;
};

// Any peer, before a file block on the same connection: K + sender name + K + file name (the file
// name takes the rest).
struct FileHeader {
    static constexpr MessageKind kKind = MessageKind::FileHeader;
    std::string sender;
    std::string fileName;

    std::string Encode() const;
    static std::optional<FileHeader> Decode(std::string_view body);
    bool operator==(const FileHeader&) const = default;
};

}  // namespace talvoro::net
