#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chat/rtf_reader.h"
#include "chat/rtf_writer.h"
#include "support/temp_dir.h"

namespace talvoro::chat {
namespace {

ChatDocument Document(std::vector<TextRun> runs) {
    ChatDocument document;
    document.Replace(std::move(runs));
    return document;
}

// Values the format cannot hold are written normalised: adjacent equal formats merge, sizes clamp
// to 1..1600, the unused top byte of a colour is dropped.
TEST(Rtf, writes_a_small_document_and_normalises_what_the_format_cannot_hold) {
    const ChatDocument document = Document({{"anna: ", 0x0000FF, true, "Verdana", 9},
                                            {"a {b}\\c\n", 0x0000FF, false, "Verdana", 9},
                                            {"\xE9\x80\t!\n", 0x123456, false, "Arial", 12},
                                            {"a", 0x7F0000FF, false, "Verdana", 0},
                                            {"b", 0x000000FF, false, "Verdana", -5},
                                            {"c", 0, false, "Verdana", 32000}});
    EXPECT_EQ(
        WriteRtf(document),
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Verdana;}"
        "{\\f1\\fnil\\fcharset0 Arial;}}\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red86\\green52\\blue18;\\red0\\green0\\blue0;}\n"
        "\\viewkind4\\uc1\\pard\\f0\\cf1\\b\\fs18 anna: \\b0 a \\{b\\}\\\\c\\par\n"
        "\\f1\\cf2\\fs24 \\'e9\\'80\\tab !\\par\n"
        "\\f0\\cf1\\fs2 ab\\cf3\\fs3200 c}\n");
}

TEST(Rtf, every_byte_colour_size_and_face_survives_a_round_trip_byte_for_byte) {
    std::string allBytes;
    for (int b = 1; b < 256; ++b) {
        allBytes += static_cast<char>(b);
    }
    const ChatDocument document =
        Document({{allBytes, 0x000000, true, "Verdana", 9},
                  {"\\{}\\par x", 0xFFFFFF, false, "Face; with {odd} \xE9 name", 72},
                  {"\r\n\n", 0x00FF00, false, "Verdana", 9},
                  {"tiny", 0x0A0B0C, true, "", 1},
                  {"\x80\xFF", 0x000000, false, "Verdana", 1600}});
    const std::string written = WriteRtf(document);
    EXPECT_TRUE(std::all_of(written.begin(), written.end(),
                            [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }));
    const RtfReadResult read = ReadRtf(written);
    EXPECT_EQ(read.status, RtfStatus::Complete);
    EXPECT_EQ(read.runs, document.Runs());
    EXPECT_EQ(WriteRtf(Document(read.runs)), written);
}

// A word processor's document: its tables, style sheet, information, picture and field
// instructions show nothing; malformed input is refused or read as far as it is sound.
TEST(Rtf, foreign_and_malformed_input_is_read_as_far_as_it_is_sound) {
    const std::string deep =
        "{\\rtf1 x" + std::string(100000, '{') + "y\\}" + std::string(100000, '}') + "z}";
    const std::string unclosed = "{\\rtf1 a" + std::string(1000000, '{');
    const std::string longWord = "{\\rtf1 \\" + std::string(100000, 'a') + " x}";
    struct Case {
        std::string name;
        std::string input;
        RtfStatus status;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"a word processor's", test::ReadFileText(TALVORO_CHAT_DATA "word_processor.rtf"),
         RtfStatus::Complete,
         "Heading\nPlain text with bold, red and italic words.\n"
         "Caf\xE9 \x80 5 \x80 ? and \x93quotes\x94\ttab\nnext line\n"
         "link text\nBraces { } and backslash \\ end.\n"},
        {"empty", "", RtfStatus::NotRtf, ""},
        {"plain text", "hello {\\rtf1 a}", RtfStatus::NotRtf, ""},
        {"cut off", "{\\rtf1 abc\\b", RtfStatus::Partial, "abc"},
        {"extra closing braces", "{\\rtf1 a}}}b", RtfStatus::Complete, "a"},
        {"deep nesting", deep, RtfStatus::Partial, "xz"},
        {"a million open groups", unclosed, RtfStatus::Partial, "a"},
        {"huge parameters",
         "{\\rtf1\\fs99999999999999999999999 a\\cf-99999999999999 b\\f123456789012 c"
         "\\u99999999999999?d\\u-99999999999999?e\\uc999999999\\u8364 ff}",
         RtfStatus::Complete, "abcde\x80"},
        {"bin skips its data", "{\\rtf1 a{\\pict\\bin4 }{}}b}c}", RtfStatus::Complete, "ac"},
        {"bin past the end", "{\\rtf1 a\\bin999 xyz}", RtfStatus::Partial, "a"},
        {"bad hex escapes", "{\\rtf1 a\\'zzb\\'4}", RtfStatus::Complete, "azzb"},
        {"backslash at the end", "{\\rtf1 a\\", RtfStatus::Partial, "a"},
        {"unicode fallback of two", "{\\rtf1\\uc2\\u8364 xxy\\u916\\'80?z}", RtfStatus::Complete,
         "\x80y?z"},
        {"control word of 100000 letters", longWord, RtfStatus::Complete, "x"},
        {"raw control bytes", std::string("{\\rtf1 a") + '\0' + "\x01\x1F\r\nb\x80}",
         RtfStatus::Complete, "ab\x80"},
    };
    for (const Case& c : cases) {
        const RtfReadResult read = ReadRtf(c.input);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(Document(read.runs).PlainText(), c.text) << c.name;
    }
}

TEST(Rtf, a_document_of_too_many_runs_is_read_up_to_the_cap) {
    std::string many = "{\\rtf1";
    for (std::size_t i = 0; i <= kMaxRtfRuns; ++i) {
        many += i % 2 == 0 ? "\\b a" : "\\b0 a";
    }
    const RtfReadResult read = ReadRtf(many + "}");
    EXPECT_EQ(read.status, RtfStatus::Partial);
    EXPECT_EQ(read.runs.size(), kMaxRtfRuns);
}

}  // namespace
}  // namespace talvoro::chat
