#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/atomic_file.h"
#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;
using test::TempDir;

TEST(IniReader, finds_the_section_and_keys_without_regard_to_case) {
    const IniReader ini("[pREFS]\r\nuSeRnAmE = Anna\r\nPort = 1805\r\n", "Prefs");
    EXPECT_TRUE(ini.found());
    EXPECT_EQ(ini.Text("Username"), "Anna");
    EXPECT_EQ(ini.Number("PORT"), 1805);
}

TEST(IniReader, section_name_must_have_exactly_that_length) {
    EXPECT_FALSE(IniReader("[Prefsx]\nA=1\n", "Prefs").found());
    EXPECT_FALSE(IniReader("[Pref]\nA=1\n", "Prefs").found());
    EXPECT_FALSE(IniReader(" [Prefs]\nA=1\n", "Prefs").found());
    const IniReader ini("[Other]\nA=1\n[Prefs] trailing\nA=2\n", "Prefs");
    EXPECT_EQ(ini.Number("A"), 2);
}

TEST(IniReader, missing_section_or_key_reads_as_absent) {
    const IniReader noSection("A=1\r\nB=2\r\n", "Prefs");
    EXPECT_FALSE(noSection.found());
    EXPECT_EQ(noSection.Text("A"), std::nullopt);
    EXPECT_EQ(noSection.Number("A", 7), 7);
    const IniReader ini("[Prefs]\r\nA=1\r\n", "Prefs");
    EXPECT_EQ(ini.Text("B"), std::nullopt);
    EXPECT_EQ(ini.Text("B", "fallback"), "fallback");
    EXPECT_EQ(ini.Number("AA"), std::nullopt);
}

TEST(IniReader, trims_the_key_and_leading_value_blanks_but_keeps_trailing_value_blanks) {
    const IniReader ini("[Prefs]\n \t Host \t=\t  pc one  \r\n", "Prefs");
    EXPECT_EQ(ini.Text("Host"), "pc one  ");
}

TEST(IniReader, value_keeps_further_equals_signs) {
    const IniReader ini("[Prefs]\nAwayText = a = b\n", "Prefs");
    EXPECT_EQ(ini.Text("AwayText"), "a = b");
}

TEST(IniReader, reads_numbers_leniently) {
    const IniReader ini("[Prefs]\nA = 80abc\nB = abc\nC = -12\nD = +7\nE = - 3\nF = 4294967297\n",
                        "Prefs");
    EXPECT_EQ(ini.Number("A"), 80);
    EXPECT_EQ(ini.Number("B"), 0);
    EXPECT_EQ(ini.Number("C"), -12);
    EXPECT_EQ(ini.Number("D"), 7);
    EXPECT_EQ(ini.Number("E"), 0);
    EXPECT_EQ(ini.Number("F"), 1);  // wraps like a 32-bit counter
}

TEST(IniReader, skips_comments_and_lines_without_equals) {
    const IniReader ini("[Prefs]\n; Port = 1\n   ;Port = 2\nnot a pair\n\nPort = 3\n", "Prefs");
    EXPECT_EQ(ini.Number("Port"), 3);
}

TEST(IniReader, reads_a_last_line_without_line_break) {
    const IniReader ini("[Prefs]\r\nHost = box", "Prefs");
    EXPECT_EQ(ini.Text("Host"), "box");
}

TEST(IniReader, survives_binary_junk_and_huge_values) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk += static_cast<char>((i * 7919) & 0xFF);
    }
    const std::string huge(1 << 20, 'x');
    const std::string text = junk + "\n[Prefs]\n" + junk + "\nHost = " + huge + "\nPort=9\n" + junk;
    const IniReader ini(text, "Prefs");
    EXPECT_TRUE(ini.found());
    EXPECT_EQ(ini.Text("Host"), huge);
    EXPECT_EQ(ini.Number("Port"), 9);
    const IniReader nulBytes(std::string("[Prefs]\nA = x\0y\n", 15), "Prefs");
    EXPECT_EQ(nulBytes.Text("A"), std::string("x\0y", 3));
}

TEST(IniReader, unreadable_file_reads_as_missing_section) {
    TempDir dir;
    EXPECT_FALSE(IniReader::FromFile(dir.file("none.ini"), "Prefs").found());
    EXPECT_FALSE(IniReader::FromFile(dir.dir(), "Prefs").found());
}

TEST(IniWriter, writes_header_and_keys_in_order_with_crlf) {
    IniWriter ini("Prefs");
    ini.AddText("TopicTitle2", "Lunch");
    ini.AddNumber("TopicSticky2", 1);
    ini.AddNumber("Color", -5);
    ini.AddText("Empty", "");
    EXPECT_EQ(ini.text(),
              "[Prefs]\r\nTopicTitle2 = Lunch\r\nTopicSticky2 = 1\r\nColor = -5\r\nEmpty = \r\n");
}

TEST(IniWriter, cuts_values_at_a_line_break_so_no_key_can_be_smuggled_in) {
    IniWriter ini("Prefs");
    ini.AddText("UserName", "eve\r\nServerMode = 1");
    ini.AddText("Host", "a\nb");
    const IniReader back(ini.text(), "Prefs");
    EXPECT_EQ(back.Text("UserName"), "eve");
    EXPECT_EQ(back.Text("ServerMode"), std::nullopt);
    EXPECT_EQ(back.Text("Host"), "a");
}

TEST(IniWriter, file_round_trips_through_the_reader) {
    TempDir dir;
    IniWriter ini("Prefs");
    ini.AddText("Host", "box  ");
    ini.AddNumber("Port", 1805);
    ASSERT_TRUE(ini.WriteTo(dir.file("Topics.ini")));
    const IniReader back = IniReader::FromFile(dir.file("Topics.ini"), "prefs");
    EXPECT_EQ(back.Text("host"), "box  ");
    EXPECT_EQ(back.Number("port"), 1805);
}

TEST(WriteFileAtomically, replaces_the_old_file_and_leaves_no_temporary_file) {
    TempDir dir;
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.ini"), std::string(100000, 'o')));
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.ini"), "new"));
    EXPECT_EQ(ReadFileText(dir.file("a.ini")), "new");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(WriteFileAtomically, failure_leaves_no_temporary_file) {
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir.file("missing/a.ini"), "x"));
    // The target is a directory that cannot be replaced by a file.
    std::filesystem::create_directory(dir.file("taken"));
    std::filesystem::create_directory(dir.file("taken/inside"));
    EXPECT_FALSE(WriteFileAtomically(dir.file("taken"), "x"));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken/inside")));
}

}  // namespace
}  // namespace talvoro::app
