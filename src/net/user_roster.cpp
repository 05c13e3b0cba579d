#include "net/user_roster.h"

namespace talvoro::net {

namespace {

constexpr std::size_t kNameOffset = 8;
constexpr std::size_t kNameFieldSize = kRosterNameMax + 1;
constexpr std::size_t kColorOffset = 33;
constexpr std::size_t kAddressOffset = 37;
constexpr std::size_t kAddressFieldSize = kRosterAddressMax + 1;
constexpr std::size_t kVersionOffset = 53;
constexpr std::size_t kFileReceiveOffset = 55;
constexpr std::size_t kAwayOffset = 56;
constexpr std::size_t kServerVersionSize = 2;

void PutLittleEndian(std::string& out, std::uint32_t value, std::size_t size) {
    for (std::size_t n = 0; n < size; ++n) {
        out.push_back(static_cast<char>((value >> (8 * n)) & 0xFFU));
    }
}

// Writes `text` cut to `fieldSize - 1` bytes and pads the field with 0 bytes.
void PutTextField(std::string& out, std::string_view text, std::size_t fieldSize) {
    const std::string_view kept = text.substr(0, fieldSize - 1);
    out.append(kept);
    out.append(fieldSize - kept.size(), '\0');
}

std::uint32_t GetLittleEndian(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t n = 0; n < size; ++n) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[offset + n]))
                 << (8 * n);
    }
    return value;
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string GetTextField(std::string_view record, std::size_t offset, std::size_t fieldSize) {
    std::string_view field = record.substr(offset, fieldSize);
    field = field.substr(0, field.find('\0'));
    return std::string(TrimBlanks(field));
}

UserRecord DecodeRecord(std::string_view record) {
    UserRecord user;
    user.id = static_cast<std::int32_t>(GetLittleEndian(record, 0, 4));
    user.logonTime = static_cast<std::int32_t>(GetLittleEndian(record, 4, 4));
    user.name = GetTextField(record, kNameOffset, kNameFieldSize);
    user.color = static_cast<std::int32_t>(GetLittleEndian(record, kColorOffset, 4));
    user.address = GetTextField(record, kAddressOffset, kAddressFieldSize);
    user.version = static_cast<std::int16_t>(GetLittleEndian(record, kVersionOffset, 2));
    user.fileReceiveDisabled = record[kFileReceiveOffset] != 0;
    user.away = record[kAwayOffset] != 0;
    return user;
}

}  // namespace

std::string UserRoster::Encode() const {
    std::string payload;
    payload.reserve(1 + users.size() * kUserRecordSize + kServerVersionSize);
    payload.push_back(KindChar(kKind));
    for (const UserRecord& user : users) {
        PutLittleEndian(payload, static_cast<std::uint32_t>(user.id), 4);
        PutLittleEndian(payload, static_cast<std::uint32_t>(user.logonTime), 4);
        PutTextField(payload, user.name, kNameFieldSize);
        PutLittleEndian(payload, static_cast<std::uint32_t>(user.color), 4);
        PutTextField(payload, user.address, kAddressFieldSize);
        PutLittleEndian(payload, static_cast<std::uint16_t>(user.version), 2);
        payload.push_back(user.fileReceiveDisabled ? '\1' : '\0');
        payload.push_back(user.away ? '\1' : '\0');
    }
    PutLittleEndian(payload, static_cast<std::uint16_t>(serverVersion), kServerVersionSize);
    return payload;
}

std::optional<UserRoster> UserRoster::Decode(std::string_view raw) {
    if (raw.size() < kServerVersionSize) {
        return std::nullopt;
    }
    const std::size_t count = (raw.size() - kServerVersionSize) / kUserRecordSize;
    UserRoster roster;
    roster.users.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        roster.users.push_back(DecodeRecord(raw.substr(n * kUserRecordSize, kUserRecordSize)));
    }
    roster.serverVersion = static_cast<std::int16_t>(
        GetLittleEndian(raw, count * kUserRecordSize, kServerVersionSize));
    return roster;
}

}  // namespace talvoro::net
