#include "net/user_roster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/frame.h"
#include "net/frame_reader.h"

namespace talvoro::net {
namespace {

UserRecord User(std::int32_t id, std::string name, std::string address) {
    return UserRecord{id,   1'100'000'000 + id, std::move(name), 0x00FF8040, std::move(address),
                      1600, id % 2 == 0,        id % 3 == 0};
}

// The roster as a client receives it: through a frame of `frameSize` bytes and the frame reader.
std::optional<UserRoster> ThroughFrame(std::span<const UserRecord> users, std::int16_t version,
                                       std::size_t frameSize) {
    const std::string wire = EncodeFrame(0, EncodeUserRoster(users, version)).value_or("");
    EXPECT_EQ(wire.size(), frameSize);
    const auto frames =
        FrameReader(FrameRole::Client, nullptr)
            .Feed({reinterpret_cast<const std::uint8_t*>(wire.data()), wire.size()});
    if (frames.size() != 1 || frames[0].kind != 0x96) {
        return std::nullopt;
    }
    return DecodeUserRoster(frames[0].raw);
}

TEST(UserRoster, round_trips_three_users_in_a_177_byte_frame_and_one_in_63) {
    const std::vector<UserRecord> users = {User(4, "ann", "192.168.1.20"),
                                           User(9, "bob", "10.0.0.7"),
                                           User(-3, "Zo\xEB", "127.0.0.1")};
    EXPECT_EQ(ThroughFrame(users, 1550, 177), (UserRoster{users, 1550}));
    EXPECT_EQ(ThroughFrame({users.data(), 1}, -2, 63), (UserRoster{{users[0]}, -2}));
}

TEST(UserRoster, lays_out_a_user_record_at_fixed_offsets) {
    const UserRecord user{0x01020304, 0, "name", 0x00FF8040, "1.2.3.4", 1600, true, false};
    const std::string payload = EncodeUserRoster(std::span(&user, 1), -2);
    ASSERT_EQ(payload.size(), 60U);
    EXPECT_EQ(payload[0], '\x96');
    EXPECT_EQ(payload.substr(1, 4), "\x04\x03\x02\x01");
    EXPECT_EQ(payload.substr(9, 5), std::string("name\0", 5));
    EXPECT_EQ(payload.substr(34, 4), std::string("\x40\x80\xFF\0", 4));
    EXPECT_EQ(payload.substr(38, 8), std::string("1.2.3.4\0", 8));
    EXPECT_EQ(payload.substr(54, 2), "\x40\x06");  // 1600
    EXPECT_EQ(payload.substr(56, 4), std::string("\1\0\xFE\xFF", 4));
}

TEST(UserRoster, cuts_and_trims_text_fields_and_reads_an_unterminated_one_to_its_end) {
    const UserRecord users[] = {User(1, std::string(30, 'n'), "1234567890123456789"),
                                User(2, "  ann  ", " 10.0.0.1 ")};
    const auto roster = DecodeUserRoster(EncodeUserRoster(users, 1600).substr(1));
    ASSERT_TRUE(roster.has_value());
    ASSERT_EQ(roster->users.size(), 2U);
    EXPECT_EQ(roster->users[0].name, std::string(24, 'n'));
    EXPECT_EQ(roster->users[0].address, "123456789012345");
    EXPECT_EQ(roster->users[1].name, "ann");
    EXPECT_EQ(roster->users[1].address, "10.0.0.1");

    std::string raw = EncodeUserRoster(users, 1600).substr(1);
    raw.replace(8, 25, std::string(25, 'a'));  // the whole name field, no zero byte
    const auto unterminated = DecodeUserRoster(raw);
    ASSERT_TRUE(unterminated.has_value());
    EXPECT_EQ(unterminated->users[0].name, std::string(25, 'a'));
    EXPECT_EQ(unterminated->users[0].color, 0x00FF8040);
}

TEST(UserRoster, rejects_a_payload_too_short_for_the_server_version_and_ignores_partial_records) {
    EXPECT_FALSE(DecodeUserRoster("").has_value());
    EXPECT_FALSE(DecodeUserRoster("\x01").has_value());
    EXPECT_EQ(DecodeUserRoster(std::string("\xE8\x03", 2)), (UserRoster{{}, 1000}));
    EXPECT_EQ(DecodeUserRoster(std::string(58, '\0')), (UserRoster{{}, 0}));  // 56 + 2 bytes
}

}  // namespace
}  // namespace talvoro::net
