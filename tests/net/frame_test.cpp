#include "net/frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/cipher.h"

namespace talvoro::net {
namespace {

std::vector<std::uint8_t> Deciphered(const std::optional<std::string>& wire) {
    const std::string text = wire.value_or("");
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    CipherFrame(bytes);
    return bytes;
}

TEST(EncodeFrame, sends_a_five_letter_public_message_on_tab_2_as_nine_enciphered_bytes) {
    const auto wire = EncodeFrame(2, BuildPayload(MessageKind::PublicMessage, {"hello"}));
    ASSERT_TRUE(wire.has_value());
    const std::vector<std::uint8_t> plain = {9, 0, 2, 0x9C, 'h', 'e', 'l', 'l', 'o'};
    EXPECT_NE(std::vector<std::uint8_t>(wire->begin(), wire->end()), plain);
    EXPECT_EQ(Deciphered(wire), plain);
    EXPECT_EQ(EncodeFrame(2, BuildPayload(MessageKind::PublicMessage, {"hello"})), wire);
}

TEST(EncodeFrame, writes_a_little_endian_length_and_a_signed_topic) {
    const auto plain = Deciphered(EncodeFrame(-1, std::string(kMaxPayloadSize, 'x')));
    ASSERT_EQ(plain.size(), kMaxFrameSize);
    EXPECT_EQ(plain[0], 0x00);
    EXPECT_EQ(plain[1], 0x10);
    EXPECT_EQ(plain[2], 0xFF);
    EXPECT_EQ(plain[3], 'x');
    EXPECT_EQ(plain.back(), 'x');
}

TEST(EncodeFrame, refuses_payloads_no_receiver_accepts) {
    EXPECT_FALSE(EncodeFrame(0, "").has_value());
    EXPECT_FALSE(EncodeFrame(0, "\x95").has_value());  // length 4: below the minimum of 5
    EXPECT_FALSE(EncodeFrame(0, std::string(kMaxPayloadSize + 1, 'x')).has_value());
    EXPECT_TRUE(EncodeFrame(0, "\x95#").has_value());
}

TEST(BuildPayload, puts_the_kind_character_before_every_field) {
    EXPECT_EQ(BuildPayload(MessageKind::TopicOpen, {"Title", "1"}),
              std::string("\xA0Title\xA0") + "1");
    EXPECT_EQ(BuildPayload(MessageKind::Logon, {"ann", "", "x"}),
              std::string("\x9F") + "ann\x9F\x9Fx");
    EXPECT_EQ(BuildPayload(MessageKind::Heartbeat, {}), "\x95");
}

}  // namespace
}  // namespace talvoro::net
