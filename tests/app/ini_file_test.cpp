#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <numeric>
#include <string>

#include "app/atomic_file.h"
#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;
using test::TempDir;

TEST(IniReader, reads_keys_of_the_section_in_any_case_and_trims_only_leading_blanks) {
    const IniReader ini(
        "[Other]\nHost = no\n[pREFS] trailing\r\nuSeRnAmE = Anna\r\n \t Host \t=\t  pc one  \r\n"
        "; Port = 1\n   ;Port = 2\nnot a pair\n\nAwayText = a = b\nPort = 1805",
        "Prefs");
    EXPECT_TRUE(ini.found());
    EXPECT_EQ(ini.Text("Username"), "Anna");
    EXPECT_EQ(ini.Text("HOST"), "pc one  ");
    EXPECT_EQ(ini.Text("AwayText"), "a = b");
    EXPECT_EQ(ini.Number("PORT"), 1805);  // comments skipped, last line without a line break
    EXPECT_EQ(ini.Text("B"), std::nullopt);
    EXPECT_EQ(ini.Number("PortX"), std::nullopt);
}

TEST(IniReader, finds_no_section_unless_the_header_matches_in_length_at_the_line_start) {
    for (const char* text : {"[Prefsx]\nA=1\n", "[Pref]\nA=1\n", " [Prefs]\nA=1\n", "A=1\n"}) {
        const IniReader ini(text, "Prefs");
        EXPECT_FALSE(ini.found()) << text;
        EXPECT_EQ(ini.Text("A"), std::nullopt) << text;
        EXPECT_EQ(ini.Number("A", 7), 7) << text;
    }
    TempDir dir;
    EXPECT_FALSE(IniReader::FromFile(dir.file("none.ini"), "Prefs").found());
    EXPECT_FALSE(IniReader::FromFile(dir.dir(), "Prefs").found());
}

TEST(IniReader, survives_binary_junk_and_huge_values) {
    std::string junk(4096, '\0');
    std::iota(junk.begin(), junk.end(), '\0');  // every byte value, over and over
    const std::string huge(1 << 20, 'x');
    const IniReader ini(junk + "\n[Prefs]\n" + junk + "\nHost = " + huge + "\nPort=9\n" + junk,
                        "Prefs");
    EXPECT_EQ(ini.Text("Host"), huge);
    EXPECT_EQ(ini.Number("Port"), 9);
    const IniReader nulBytes(std::string("[Prefs]\nA = x\0y\n", 15), "Prefs");
    EXPECT_EQ(nulBytes.Text("A"), std::string("x\0y", 3));
}

TEST(IniWriter, writes_crlf_lines_that_read_back_and_cuts_values_at_a_line_break) {
    IniWriter ini("Prefs");
    ini.AddText("Host", "box  ");
    ini.AddNumber("Color", -5);
    ini.AddText("Empty", "");
    ini.AddText("UserName", "eve\r\nServerMode = 1");  // no key can be smuggled in
    EXPECT_EQ(ini.text(),
              "[Prefs]\r\nHost = box  \r\nColor = -5\r\nEmpty = \r\nUserName = eve\r\n");
    TempDir dir;
    ASSERT_TRUE(ini.WriteTo(dir.file("Topics.ini")));
    const IniReader back = IniReader::FromFile(dir.file("Topics.ini"), "prefs");
    EXPECT_EQ(back.Text("host"), "box  ");
    EXPECT_EQ(back.Number("color"), -5);
    EXPECT_EQ(back.Text("ServerMode"), std::nullopt);
}

TEST(WriteFileAtomically, replaces_the_file_or_fails_leaving_no_temporary_file) {
    TempDir dir;
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.ini"), std::string(100000, 'o')));
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.ini"), "new"));
    EXPECT_EQ(ReadFileText(dir.file("a.ini")), "new");
    EXPECT_FALSE(WriteFileAtomically(dir.file("missing/a.ini"), "x"));
    std::filesystem::create_directories(dir.file("taken/inside"));
    EXPECT_FALSE(WriteFileAtomically(dir.file("taken"), "x"));  // a directory stays
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken/inside")));
    const std::filesystem::directory_iterator entries(dir.path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2);  // a.ini and taken
}

}  // namespace
}  // namespace talvoro::app
