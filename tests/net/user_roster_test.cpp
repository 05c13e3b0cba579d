#include "net/user_roster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/frame.h"
#include "net/frame_reader.h"

namespace talvoro::net {
namespace {

UserRecord User(std::int32_t id, std::string name, std::string address) {
    UserRecord user;
    user.id = id;
    user.logonTime = 1'100'000'000 + id;
    user.name = std::move(name);
    user.color = 0x00FF8040;
    user.address = std::move(address);
    user.version = 1600;
    user.fileReceiveDisabled = id % 2 == 0;
    user.away = id % 3 == 0;
    return user;
}

// The roster as a client receives it: through a frame and the frame reader.
std::optional<UserRoster> ThroughFrame(const std::string& payload, std::size_t* frameSize) {
    const auto wire = EncodeFrame(0, payload);
    if (!wire) {
        return std::nullopt;
    }
    *frameSize = wire->size();
    FrameReader reader(FrameRole::Client, nullptr);
    const auto frames =
        reader.Feed({reinterpret_cast<const std::uint8_t*>(wire->data()), wire->size()});
    if (frames.size() != 1 || frames[0].kind != 0x96) {
        return std::nullopt;
    }
    return DecodeUserRoster(frames[0].raw);
}

TEST(UserRoster, round_trips_three_users_in_a_177_byte_frame) {
    const std::vector<UserRecord> users = {User(4, "ann", "192.168.1.20"),
                                           User(9, "bob", "10.0.0.7"),
                                           User(-3, "Zo\xEB", "127.0.0.1")};
    std::size_t frameSize = 0;
    const auto roster = ThroughFrame(EncodeUserRoster(users, 1550), &frameSize);
    EXPECT_EQ(frameSize, 177U);
    ASSERT_TRUE(roster.has_value());
    EXPECT_EQ(roster->users, users);
    EXPECT_EQ(roster->serverVersion, 1550);
}

TEST(UserRoster, lays_out_one_user_as_a_63_byte_frame_with_fixed_offsets) {
    UserRecord user = User(0x01020304, "name", "1.2.3.4");
    user.fileReceiveDisabled = true;
    user.away = false;
    const std::string payload = EncodeUserRoster(std::span(&user, 1), -2);
    std::size_t frameSize = 0;
    ASSERT_TRUE(ThroughFrame(payload, &frameSize).has_value());
    EXPECT_EQ(frameSize, 63U);
    ASSERT_EQ(payload.size(), 60U);
    EXPECT_EQ(payload[0], '\x96');
    EXPECT_EQ(payload.substr(1, 4), "\x04\x03\x02\x01");
    EXPECT_EQ(payload.substr(9, 5), std::string("name\0", 5));
    EXPECT_EQ(payload.substr(34, 4), std::string("\x40\x80\xFF\0", 4));
    EXPECT_EQ(payload.substr(38, 8), std::string("1.2.3.4\0", 8));
    EXPECT_EQ(payload.substr(54, 2), "\x40\x06");  // 1600
    EXPECT_EQ(payload[56], '\1');
    EXPECT_EQ(payload[57], '\0');
    EXPECT_EQ(payload.substr(58, 2), "\xFE\xFF");
}

TEST(UserRoster, cuts_long_names_and_addresses_to_their_fields) {
    const UserRecord user = User(1, std::string(30, 'n'), "1234567890123456789");
    const std::string payload = EncodeUserRoster(std::span(&user, 1), 1600);
    const auto roster = DecodeUserRoster(std::string_view(payload).substr(1));
    ASSERT_TRUE(roster.has_value());
    ASSERT_EQ(roster->users.size(), 1U);
    EXPECT_EQ(roster->users[0].name, std::string(24, 'n'));
    EXPECT_EQ(roster->users[0].address, "123456789012345");
}

TEST(UserRoster, trims_blanks_from_both_text_fields) {
    const UserRecord user = User(1, "  ann  ", " 10.0.0.1 ");
    const std::string payload = EncodeUserRoster(std::span(&user, 1), 1600);
    const auto roster = DecodeUserRoster(std::string_view(payload).substr(1));
    ASSERT_TRUE(roster.has_value());
    EXPECT_EQ(roster->users[0].name, "ann");
    EXPECT_EQ(roster->users[0].address, "10.0.0.1");
}

TEST(UserRoster, reads_a_field_without_its_zero_byte_only_to_the_field_end) {
    UserRecord user = User(1, "x", "y");
    std::string raw = EncodeUserRoster(std::span(&user, 1), 1600).substr(1);
    for (std::size_t n = 8; n < 8 + 25; ++n) {
        raw[n] = 'a';
    }
    const auto roster = DecodeUserRoster(raw);
    ASSERT_TRUE(roster.has_value());
    EXPECT_EQ(roster->users[0].name, std::string(25, 'a'));
    EXPECT_EQ(roster->users[0].color, user.color);
}

TEST(UserRoster, rejects_a_payload_too_short_for_the_server_version) {
    EXPECT_FALSE(DecodeUserRoster("").has_value());
    EXPECT_FALSE(DecodeUserRoster("\x01").has_value());
    const auto empty = DecodeUserRoster(std::string("\xE8\x03", 2));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->users.empty());
    EXPECT_EQ(empty->serverVersion, 1000);
    // A partial record is ignored: 56 + 2 bytes hold no whole record.
    const auto partial = DecodeUserRoster(std::string(58, '\0'));
    ASSERT_TRUE(partial.has_value());
    EXPECT_TRUE(partial->users.empty());
}

}  // namespace
}  // namespace talvoro::net
