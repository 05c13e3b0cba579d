#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chat/archive_file.h"

namespace talvoro::chat {
namespace {

constexpr std::int32_t kDate = 1796635805;  // 2026-12-07 09:30:05

TEST(ArchiveNames, every_piece_from_people_is_reduced_to_a_plain_file_name) {
    struct Case {
        int position;
        std::string title;
        std::string own;
        std::string host;
        std::string autoName;
        std::string saveName;
    };
    const std::string euros(100, '\x80');
    std::string cutEuros;  // 80 bytes hold 26 whole euro signs of three UTF-8 bytes
    for (int i = 0; i < 26; ++i) {
        cutEuros += "\xE2\x82\xAC";
    }
    const std::vector<Case> cases = {
        {0, "Main", "anna", "chat.lan", "0_anna_Main@chat.lan_20261207-093005.rtf",
         "anna_Main@chat.lan_20261207-093005.rtf"},
        {2, "a/b", "anna", "chat.lan", "2_anna@chat.lan_20261207-093005.rtf",
         "anna_a_b@chat.lan_20261207-093005.rtf"},
        {1, "..", "../x", "h:1/2", "1__._x__.@h_1_2_20261207-093005.rtf",
         "_._x__.@h_1_2_20261207-093005.rtf"},
        {3, "Caf\xE9\x7F\x81", "\t", "", "3___Caf\xC3\xA9__@_20261207-093005.rtf",
         "__Caf\xC3\xA9__@_20261207-093005.rtf"},
        {4, "", "anna", "h", "4_anna@h_20261207-093005.rtf", "anna_@h_20261207-093005.rtf"},
        {1, std::string(300, 't'), std::string(100, 'n'), "h",
         "1_" + std::string(64, 'n') + "_" + std::string(80, 't') + "@h_20261207-093005.rtf",
         std::string(64, 'n') + "_" + std::string(80, 't') + "@h_20261207-093005.rtf"},
        {1, euros, "anna", "h", "1_anna_" + cutEuros + "@h_20261207-093005.rtf",
         "anna_" + cutEuros + "@h_20261207-093005.rtf"},
    };
    for (const Case& c : cases) {
        const ArchiveNameParts parts{c.own, c.host, kDate};
        std::string autoPath = AutoArchivePath("/d/Topics/", c.position, c.title, parts);
        ASSERT_TRUE(autoPath.starts_with("/d/Topics/")) << c.autoName;
        autoPath.erase(0, 10);
        EXPECT_LE(autoPath.size(), 255u);
        EXPECT_EQ(autoPath.find('/'), std::string::npos);
        EXPECT_EQ(autoPath, c.autoName);
        EXPECT_EQ(SaveSessionDefaultPath("/d/Topics/", c.title, parts), "/d/Topics/" + c.saveName);
    }
    EXPECT_EQ(SavedTopicPath("/d/TopicsTemp/", 501, "x\\..\\y"), "/d/TopicsTemp/501x_.._y.rtf");
    EXPECT_EQ(ArchiveFolder("/d/"), "/d/Topics/");
}

}  // namespace
}  // namespace talvoro::chat
