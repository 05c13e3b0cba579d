#include "net/text_fields.h"

#include <gtest/gtest.h>

namespace talvoro::net {
namespace {

TEST(ReadNumber, reads_leniently) {
    EXPECT_EQ(ReadNumber("12abc"), 12);
    EXPECT_EQ(ReadNumber(""), 0);
    EXPECT_EQ(ReadNumber("  -7"), -7);
    EXPECT_EQ(ReadNumber("+42x"), 42);
    EXPECT_EQ(ReadNumber("abc"), 0);
    EXPECT_EQ(ReadNumber("-"), 0);
    EXPECT_EQ(ReadNumber("11141120"), 11141120);
    EXPECT_EQ(ReadNumber("4294967295"), -1);  // wraps like a 32-bit counter
}

TEST(Field, splits_at_the_separator_with_missing_fields_empty) {
    const char k = '\x9C';
    const std::string payload =
        "\x9C"
        "17\x9C"
        "hello";
    EXPECT_EQ(Field(payload, k, 1), "");
    EXPECT_EQ(Field(payload, k, 2), "17");
    EXPECT_EQ(Field(payload, k, 3), "hello");
    EXPECT_EQ(Field(payload, k, 4), "");
    EXPECT_EQ(Field(payload, k, 0), "");
    EXPECT_EQ(Field("", k, 1), "");
}

TEST(FieldsFrom, keeps_separators_inside_the_last_field) {
    const char k = '\x9C';
    const std::string payload =
        "\x9C"
        "17\x9C"
        "a\x9C"
        "b";
    EXPECT_EQ(FieldsFrom(payload, k, 3),
              "a\x9C"
              "b");
    EXPECT_EQ(FieldsFrom(payload, k, 5), "");
}

}  // namespace
}  // namespace talvoro::net
