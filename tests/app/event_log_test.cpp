#include "app/event_log.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace talvoro::app {
namespace {

using test::ReadFileText;
using test::TempDir;

constexpr std::int32_t kJuly12th2004 = 1089618633;  // 2004-07-12 07:50:33

EventLog::Clock FixedClock(std::int32_t value) {
    return [value] { return value; };
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));  // an unterminated tail shows up as a line
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(EventLog, first_event_creates_the_file_with_one_crlf_line) {
    TempDir dir;
    EventLog log(dir.file("Talvoro.log"), FixedClock(kJuly12th2004));
    log.LogEvent(false, "Talvoro v1.6.0.0 (Linux 6.1.0) started");
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")),
              "2004-07-12/07:50:33 INFO: Talvoro v1.6.0.0 (Linux 6.1.0) started\r\n");
}

TEST(EventLog, marks_errors_and_appends_in_call_order) {
    TempDir dir;
    EventLog log(dir.file("Talvoro.log"), FixedClock(kJuly12th2004));
    log.LogEvent(true, "SERVER: Message length is out of bounds!");
    log.LogEvent(false, "Terminated");
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")),
              "2004-07-12/07:50:33 ERROR: SERVER: Message length is out of bounds!\r\n"
              "2004-07-12/07:50:33 INFO: Terminated\r\n");
}

TEST(EventLog, empty_text_ends_the_line_with_the_level) {
    TempDir dir;
    EventLog log(dir.file("Talvoro.log"), FixedClock(kJuly12th2004));
    log.LogEvent(false, "");
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")), "2004-07-12/07:50:33 INFO: \r\n");
}

TEST(EventLog, events_after_midnight_carry_the_new_date) {
    TempDir dir;
    std::int32_t now = kJuly12th2004 - 7 * 3600 - 50 * 60 - 33 + 86399;  // 23:59:59
    EventLog log(dir.file("Talvoro.log"), [&now] { return now; });
    log.LogEvent(false, "before");
    now += 1;
    log.LogEvent(false, "after");
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")),
              "2004-07-12/23:59:59 INFO: before\r\n2004-07-13/00:00:00 INFO: after\r\n");
}

TEST(EventLog, keeps_appending_after_the_file_was_moved_away) {
    TempDir dir;
    EventLog log(dir.file("Talvoro.log"), FixedClock(kJuly12th2004));
    log.LogEvent(false, "one");
    std::filesystem::rename(dir.file("Talvoro.log"), dir.file("Talvoro.old"));
    log.LogEvent(false, "two");
    EXPECT_EQ(ReadFileText(dir.file("Talvoro.log")), "2004-07-12/07:50:33 INFO: two\r\n");
}

TEST(EventLog, drops_events_silently_when_the_file_cannot_be_opened) {
    TempDir dir;
    EventLog log(dir.file("missing/Talvoro.log"));
    log.LogEvent(true, "lost");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(EventLog, lines_from_concurrent_threads_never_interleave) {
    TempDir dir;
    EventLog log(dir.file("Talvoro.log"));
    constexpr int kThreads = 6;
    constexpr int kEventsPerThread = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            // Lengths vary so that torn writes would show as broken lines.
            const std::string text = "thread " + std::to_string(t) + " " + std::string(t * 37, 'x');
            for (int i = 0; i < kEventsPerThread; ++i) {
                log.LogEvent(t % 2 == 1, text);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const std::string content = ReadFileText(dir.file("Talvoro.log"));
    ASSERT_EQ(content.substr(content.size() - 2), "\r\n");
    const std::vector<std::string> lines = SplitCrLf(content);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kEventsPerThread));
    std::map<int, int> perThread;
    for (const std::string& line : lines) {
        ASSERT_GE(line.size(), 20U) << line;
        EXPECT_EQ(line[10], '/') << line;
        const std::size_t at = line.find(": thread ");
        ASSERT_NE(at, std::string::npos) << line;
        const int t = line[at + 9] - '0';
        const std::string level = t % 2 == 1 ? " ERROR" : " INFO";
        EXPECT_EQ(line.substr(19, at - 19), level) << line;
        EXPECT_EQ(line.substr(at + 2),
                  "thread " + std::to_string(t) + " " + std::string(t * 37, 'x'));
        ++perThread[t];
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(perThread[t], kEventsPerThread) << "thread " << t;
    }
}

}  // namespace
}  // namespace talvoro::app
