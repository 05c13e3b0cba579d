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
        std::string name;
    };
    const std::string euros(100, '\x80');
    std::string cutEuros;  // 80 bytes hold 26 whole euro signs of three UTF-8 bytes
    for (int i = 0; i < 26; ++i) {
        cutEuros += "\xE2\x82\xAC";
    }
    const std::vector<Case> cases = {
        {0, "Main", "anna", "chat.lan", "0_anna_Main@chat.lan_20261207-093005.rtf"},
        {2, "a/b", "anna", "chat.lan", "2_anna@chat.lan_20261207-093005.rtf"},
        {1, "..", "../x", "h:1/2", "1__._x__.@h_1_2_20261207-093005.rtf"},
        {3, "Caf\xE9\x7F\x81", "\t", "", "3___Caf\xC3\xA9__@_20261207-093005.rtf"},
        {1, std::string(300, 't'), std::string(100, 'n'), "h",
         "1_" + std::string(64, 'n') + "_" + std::string(80, 't') + "@h_20261207-093005.rtf"},
        {1, euros, "anna", "h", "1_anna_" + cutEuros + "@h_20261207-093005.rtf"},
    };
    for (const Case& c : cases) {
        std::string path =
            AutoArchivePath("/d/Topics/", c.position, c.title, {c.own, c.host, kDate});
        ASSERT_TRUE(path.starts_with("/d/Topics/")) << c.name;
        path.erase(0, 10);
        EXPECT_LE(path.size(), 255u);
        EXPECT_EQ(path.find('/'), std::string::npos);
        EXPECT_EQ(path, c.name);
    }
    // The name offered for saving a session always holds the title, reduced the same way.
    EXPECT_EQ(SaveSessionDefaultPath("/d/Topics/", "a/b", {"../x", "h", kDate}),
              "/d/Topics/_._x_a_b@h_20261207-093005.rtf");
    EXPECT_EQ(SavedTopicPath("/d/TopicsTemp/", 501, "x\\..\\y"), "/d/TopicsTemp/501x_.._y.rtf");
    EXPECT_EQ(ArchiveFolder("/d/"), "/d/Topics/");
}

}  // namespace
}  // namespace talvoro::chat
