#include "transfer/received_name.h"

#include <gtest/gtest.h>

#include <string>

namespace talvoro::test {
namespace {

using transfer::PlainFileName;

constexpr std::int32_t kNow = 1'700'000'000;  // 2023-11-14 22:13:20
const std::string kUnnamed = "Unnamed20231114-221320.xxx";

TEST(ReceivedName, reduces_every_received_name_to_a_file_inside_the_directory) {
    const struct {
        std::string received;
        std::string stored;
    } cases[] = {
        {"../x", "x"},
        {"/etc/x", "x"},
        {"..\\..\\win.ini", "win.ini"},
        {".", kUnnamed},
        {"..", kUnnamed},
        {"dir/", kUnnamed},
        {std::string("ok\0/../../etc/passwd", 20), "ok"},
        {"tab\there\n", "tab_here_"},
        {std::string(300, 'n'), std::string(255, 'n')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlainFileName(c.received, kNow), c.stored) << c.received;
    }
}

TEST(ReceivedName, keeps_the_update_name_only_for_a_file_from_the_own_server) {
    EXPECT_EQ(transfer::ReceivedFileName("_#_Talvoro_Upd.exe", true, kNow), "_#_Talvoro_Upd.exe");
    EXPECT_EQ(transfer::ReceivedFileName("_#_Talvoro_Upd.exe", false, kNow), kUnnamed);
    EXPECT_EQ(transfer::ReceivedFileName("../_#_Talvoro_Upd.exe", false, kNow), kUnnamed);
    EXPECT_EQ(transfer::ReceivedFileName("song.mp3", false, kNow), "song.mp3");
}

}  // namespace
}  // namespace talvoro::test
