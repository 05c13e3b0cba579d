#pragma once
// The event log: one line per event appended to a plain text file, "Talvoro.log" in the data
// directory. Line format: "YYYY-MM-DD/hh:mm:ss INFO: text" or "... ERROR: text", ended by CR LF,
// date and time from the local wall clock. Nothing in the program reads the log back.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace talvoro::app {

class EventLog {
  public:
    // Returns the current date value (see app/date_time.h). Tests pass a fixed clock.
    using Clock = std::function<std::int32_t()>;

    // `path` is the log file; it is created by the first event. Nothing is opened here.
    explicit EventLog(std::string path);
    EventLog(std::string path, Clock clock);

    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Appends one line. Any thread: calls are serialised, so every line lands whole and lines of
    // different threads never interleave; the line is on disk (in the file, unbuffered) when the
    // call returns. The text is written unchanged, its own line feeds included: parts of it that
    // come from other people go through LogSafe first. If the file cannot be opened or written the
    // event is dropped; the first such failure writes one line to stderr. This never throws.
    void LogEvent(bool isError, std::string_view text) noexcept;

    const std::string& path() const { return path_; }

    // The line LogEvent writes for `dateValue`, CR LF included.
    static std::string FormatLine(std::int32_t dateValue, bool isError, std::string_view text);

  private:
    // Caller holds mutex_.
    void ReportFailure(int error);

    std::string path_;
    Clock clock_;
    std::mutex mutex_;
    bool failureReported_ = false;
};

// `userText` (a name, a whisper target or text, a title from another user) with CR and LF
// replaced by blanks, so that it cannot start a line of its own in an event text.
std::string LogSafe(std::string_view userText);

}  // namespace talvoro::app
