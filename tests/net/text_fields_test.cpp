#include "net/text_fields.h"

#include <gtest/gtest.h>

namespace talvoro::net {
namespace {

TEST(ReadNumber, reads_an_optional_sign_and_leading_digits_wrapping_at_32_bits) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12abc", 12}, {"", 0},    {"  -7", -7},           {"+42x", 42},       {"abc", 0},
        {"-", 0},      {"- 3", 0}, {"11141120", 11141120}, {"4294967295", -1},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(ReadNumber(text), number) << text;
    }
}

TEST(Field, splits_at_the_separator_and_the_last_field_takes_the_rest) {
    const char k = '\x9C';
    const std::string payload = std::string("\x9C") + "17\x9C" + "a\x9C" + "b";
    EXPECT_EQ(Field(payload, k, 0), "");
    EXPECT_EQ(Field(payload, k, 1), "");
    EXPECT_EQ(Field(payload, k, 2), "17");
    EXPECT_EQ(Field(payload, k, 3), "a");
    EXPECT_EQ(Field(payload, k, 5), "");
    EXPECT_EQ(Field("", k, 1), "");
    EXPECT_EQ(FieldsFrom(payload, k, 3), "a\x9C" + std::string("b"));
    EXPECT_EQ(FieldsFrom(payload, k, 5), "");
}

}  // namespace
}  // namespace talvoro::net
