#include "net/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace talvoro::net {
namespace {

TEST(Codepage, converts_every_byte_to_utf8_and_back) {
    EXPECT_EQ(Utf8FromCp1252("Zo\xEB \x80 \x85 \x99 \x9F \xA0\xFF"),
              "Zo\u00EB \u20AC \u2026 \u2122 \u0178 \u00A0\u00FF");
    // The bytes Windows-1252 leaves undefined travel as their C1 control code points.
    EXPECT_EQ(Utf8FromCp1252("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    std::string all;
    for (int n = 0; n < 256; ++n) {
        all.push_back(static_cast<char>(n));
    }
    EXPECT_EQ(Cp1252FromUtf8(Utf8FromCp1252(all)), all);
}

TEST(Codepage, turns_unmappable_and_malformed_utf8_into_question_marks) {
    EXPECT_EQ(Cp1252FromUtf8("\u20AC \u00E9t\u00E9 a\u4E2Db \U0001F600"), "\x80 \xE9t\xE9 a?b ?");
    EXPECT_EQ(Cp1252FromUtf8("\u0080"), "?");  // C1 control whose byte means the euro sign
    EXPECT_EQ(Cp1252FromUtf8("a\xFF!"), "a?!");
    EXPECT_EQ(Cp1252FromUtf8("\xC0\xAF"), "??");            // overlong
    EXPECT_EQ(Cp1252FromUtf8("\xED\xA0\x80"), "???");       // surrogate
    EXPECT_EQ(Cp1252FromUtf8("\xF4\x90\x80\x80"), "????");  // above U+10FFFF
    EXPECT_EQ(Cp1252FromUtf8("\xE2\x82"), "?");             // cut short at the end
    EXPECT_EQ(Cp1252FromUtf8("\xE2\x82x"), "?x");           // cut short before ASCII
    EXPECT_EQ(Cp1252FromUtf8("\x80\x80"), "??");            // stray continuation bytes
}

}  // namespace
}  // namespace talvoro::net
