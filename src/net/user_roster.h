#pragma once
// The binary user roster (kind 0x96), the one payload that is not text. After the kind byte come
// 57-byte user records and then the server version as a signed 16-bit little-endian number:
//   0 id (i32) | 4 logon time (i32) | 8 name (25: at most 24 chars, 0-terminated) | 33 colour
//   (i32) | 37 address (16: at most 15 chars, 0-terminated) | 53 version (i16) | 55 file receive
//   disabled (1) | 56 away (1). All integers little-endian.
//
// Thread safety: all functions are pure and may be called from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/message_kind.h"

namespace talvoro::net {

constexpr std::size_t kUserRecordSize = 57;
constexpr std::size_t kRosterNameMax = 24;
constexpr std::size_t kRosterAddressMax = 15;

struct UserRecord {
    std::int32_t id = 0;
    std::int32_t logonTime = 0;  // date value in seconds
    std::string name;
    std::int32_t color = 0;  // 32-bit RGB
    std::string address;     // dotted text
    std::int16_t version = 0;
    bool fileReceiveDisabled = false;
    bool away = false;

    bool operator==(const UserRecord&) const = default;
};

struct UserRoster {
    static constexpr MessageKind kKind = MessageKind::UserRoster;
    std::vector<UserRecord> users;
    std::int16_t serverVersion = 0;

    // The roster payload: the kind byte 0x96, one record per user in order, the server version.
    // Names longer than 24 and addresses longer than 15 characters are cut to fit. A frame holds
    // at most 71 records; with more users EncodeFrame refuses the payload.
    std::string Encode() const;

    // Reads a roster from Frame::raw (the payload after the kind byte). The record count is
    // (frame length - 6) / 57 with frame length = raw.size() + 4; bytes that do not fill a whole
    // record are ignored. Name and address end at their 0 byte (or their field's end) and are
    // trimmed of blanks on both sides. Returns nullopt when `raw` is too short to hold the server
    // version.
    static std::optional<UserRoster> Decode(std::string_view raw);

    bool operator==(const UserRoster&) const = default;
};

}  // namespace talvoro::net
