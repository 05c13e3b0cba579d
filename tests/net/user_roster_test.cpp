#include "net/user_roster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/messages.h"

namespace talvoro::net {
namespace {

// Writes `bytes` into `record` at `offset`.
void Put(std::string& record, std::size_t offset, std::string_view bytes) {
    record.replace(offset, bytes.size(), bytes);
}

TEST(UserRoster, matches_a_record_assembled_by_hand_at_the_documented_offsets) {
    std::string record(kUserRecordSize, '\0');
    Put(record, 0, "\x04\x03\x02\x01");                   // id 0x01020304
    Put(record, 4, std::string("\x00\xCA\x9A\x3B", 4));   // logon time 1000000000
    Put(record, 8, "name");                               // 25 bytes, 0-terminated
    Put(record, 33, std::string("\x40\x80\xFF\x00", 4));  // colour 0x00FF8040
    Put(record, 37, "1.2.3.4");                           // 16 bytes, 0-terminated
    Put(record, 53, "\x40\x06");                          // version 1600
    record[55] = 1;                                       // file receive disabled
    record[56] = 0;                                       // not away
    const std::string payload = "\x96" + record + std::string("\xFE\xFF", 2);  // server version -2
    const UserRoster roster{
        {{0x01020304, 1'000'000'000, "name", 0x00FF8040, "1.2.3.4", 1600, true, false}}, -2};

    EXPECT_EQ(roster.Encode(), payload);
    EXPECT_EQ(UserRoster::Decode(payload.substr(1)), roster);
    // Bytes after a text field's 0 are undefined and ignored; blanks around the text are trimmed.
    std::string loose = payload;
    Put(loose, 1 + 8, std::string(" name \0zzzz", 11));
    Put(loose, 1 + 37, std::string("1.2.3.4\0yy", 10));
    EXPECT_EQ(UserRoster::Decode(loose.substr(1)), roster);
}

TEST(UserRoster, cuts_long_text_fields_and_reads_an_unterminated_one_to_its_end) {
    const UserRoster roster{{{1, 1'100'000'001, std::string(30, 'n'), 0x00FF8040,
                              "1234567890123456789", 1600, false, false}},
                            1600};
    const auto cut = UserRoster::Decode(roster.Encode().substr(1));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->users.at(0).name, std::string(24, 'n'));
    EXPECT_EQ(cut->users[0].address, "123456789012345");

    std::string raw = roster.Encode().substr(1);
    raw.replace(8, 25, std::string(25, 'a'));  // the whole name field, no zero byte
    const auto unterminated = UserRoster::Decode(raw);
    ASSERT_TRUE(unterminated.has_value());
    EXPECT_EQ(unterminated->users.at(0).name, std::string(25, 'a'));
    EXPECT_EQ(unterminated->users[0].color, 0x00FF8040);
}

TEST(UserRoster, rejects_a_payload_too_short_for_the_server_version_and_ignores_partial_records) {
    EXPECT_FALSE(UserRoster::Decode("").has_value());
    EXPECT_FALSE(UserRoster::Decode("\x01").has_value());
    EXPECT_EQ(UserRoster::Decode(std::string("\xE8\x03", 2)), (UserRoster{{}, 1000}));
    EXPECT_EQ(UserRoster::Decode(std::string(58, '\0')), (UserRoster{{}, 0}));  // 56 + 2 bytes
}

}  // namespace
}  // namespace talvoro::net
