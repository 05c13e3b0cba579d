#include "app/event_log.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;
using test::TempDir;

TEST(EventLog, appends_stamped_crlf_lines_in_call_order) {
    TempDir dir;
    std::int32_t now = 1089618633;  // 2004-07-12 07:50:33
    EventLog log(dir.file("Talvoro.log"), [&now] { return now; });
    log.LogEvent(false, "Talvoro v1.6.0.0 (Linux 6.1.0) started");
    log.LogEvent(true, "SERVER: Message length is out of bounds!");
    now += 16 * 3600 + 9 * 60 + 26;  // 23:59:59
    log.LogEvent(false, "");
    now += 1;
    log.LogEvent(false, "after midnight");
    // A text of its own with a line feed is written as it is; other people's parts go through
    // LogSafe first, so they cannot start a line.
    log.LogEvent(false, "New user " + LogSafe("x\r\n2004-07-13/00:00:00 INFO: forged") +
                            " tried to connect.\n** Has been rejected because of duplicate "
                            "username (10.0.0.7)");
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")),
              "2004-07-12/07:50:33 INFO: Talvoro v1.6.0.0 (Linux 6.1.0) started\r\n"
              "2004-07-12/07:50:33 ERROR: SERVER: Message length is out of bounds!\r\n"
              "2004-07-12/23:59:59 INFO: \r\n"
              "2004-07-13/00:00:00 INFO: after midnight\r\n"
              "2004-07-13/00:00:00 INFO: New user x  2004-07-13/00:00:00 INFO: forged tried to "
              "connect.\n** Has been rejected because of duplicate username (10.0.0.7)\r\n");

    std::filesystem::rename(dir.file("Talvoro.log"), dir.file("Talvoro.old"));
    log.LogEvent(false, "two");  // opened by name: a moved-away file takes no more lines
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")), "2004-07-13/00:00:00 INFO: two\r\n");

    EventLog lost(dir.file("missing/Talvoro.log"));
    lost.LogEvent(true, "lost");  // dropped quietly
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(EventLog, lines_from_concurrent_threads_never_interleave) {
    TempDir dir;
    EventLog log(dir.file("Talvoro.log"));
    constexpr int kThreads = 6;
    constexpr int kEvents = 300;
    // Lengths vary so that torn writes would show as broken lines.
    const auto text = [](int t) {
        return "thread " + std::to_string(t) + std::string(t * 37, 'x');
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, &text, t] {
            for (int i = 0; i < kEvents; ++i) {
                log.LogEvent(t % 2 == 1, text(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    // Each line is whole: stamp, level and one thread's text.
    std::istringstream content(ReadFileText(dir.file("Talvoro.log")));
    std::map<std::string, int> seen;
    int lines = 0;
    for (std::string line; std::getline(content, line); ++lines) {
        ++seen[line.substr(19)];
    }
    EXPECT_EQ(lines, kThreads * kEvents);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(seen[(t % 2 == 1 ? " ERROR: " : " INFO: ") + text(t) + '\r'], kEvents) << t;
    }
}

}  // namespace
}  // namespace talvoro::app
