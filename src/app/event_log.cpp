#include "app/event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "app/date_time.h"

namespace talvoro::app {

namespace {

// Writes all of `data`, continuing short writes; false on the first real error (errno tells).
bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

EventLog::EventLog(std::string path) : EventLog(std::move(path), NowDateValue) {}

EventLog::EventLog(std::string path, Clock clock)
    : path_(std::move(path)), clock_(std::move(clock)) {}

std::string EventLog::FormatLine(std::int32_t dateValue, bool isError, std::string_view text) {
    std::string line = FormatDate(dateValue, "%yyyy-%mm-%dd/%hh:%ii:%ss");
    line += isError ? " ERROR: " : " INFO: ";
    line += text;
    line += "\r\n";
    return line;
}

std::string LogSafe(std::string_view userText) {
    std::string safe(userText);
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return safe;
}

void EventLog::LogEvent(bool isError, std::string_view text) noexcept {
    try {
        // Date and time come from one reading of the clock, so a line written at midnight never
        // pairs the old date with the new time.
        const std::string line = FormatLine(clock_(), isError, text);
        const std::lock_guard lock(mutex_);
        // Opened per call: the file may be rotated or removed between events, and every line is
        // complete in the file once the call returns.
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) {
            ReportFailure(errno);
            return;
        }
        if (!WriteAll(fd, line)) {
            ReportFailure(errno);
        }
        ::close(fd);
    } catch (...) {
        // Out of memory or a failing clock: the event is lost, the caller goes on.
    }
}

void EventLog::ReportFailure(int error) {
    if (failureReported_) {
        return;
    }
    failureReported_ = true;
    const std::string line = "Talvoro: cannot write the event log " + path_ + ": " +
                             std::strerror(error) + "; events are not logged\n";
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace talvoro::app
