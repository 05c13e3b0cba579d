#include "net/frame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/messages_chat.h"

namespace talvoro::net {
namespace {

TEST(EncodeFrame, sends_a_five_letter_public_message_on_tab_2_as_nine_known_bytes) {
    // Length 9, topic 2, 0x9C, "hello", under RC4 with the key "MuRa_ek!" (computed apart from
    // this code base).
    const std::vector<std::uint8_t> wire = {0xBE, 0x8D, 0x5C, 0x31, 0xFC, 0x15, 0x06, 0x29, 0xD0};
    const auto encoded = EncodeFrame(2, PublicMessageToServer{"hello"}.Encode());
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(std::vector<std::uint8_t>(encoded->begin(), encoded->end()), wire);
}

TEST(EncodeFrame, refuses_payloads_no_receiver_accepts) {
    EXPECT_FALSE(EncodeFrame(0, "").has_value());
    EXPECT_FALSE(EncodeFrame(0, "\x95").has_value());  // length 4: below the minimum of 5
    EXPECT_FALSE(EncodeFrame(0, std::string(kMaxPayloadSize + 1, 'x')).has_value());
    EXPECT_TRUE(EncodeFrame(0, "\x95#").has_value());
}

}  // namespace
}  // namespace talvoro::net
