#pragma once
// The run loop's uptime counter and the texts of the first two status-bar fields, plus the tray
// blinking rule of the one-second tick. Plain logic for the GUI thread; the caller supplies the
// clock (whole seconds of a clock that does not jump: the counter must not run backwards).

#include <cstdint>
#include <string>

namespace talvoro::app {

constexpr std::int32_t kSecondsPerDay = 86400;
constexpr int kTrayImageNormal = 95;
constexpr int kTrayImageAlert = 96;

class Uptime {
  public:
    explicit Uptime(std::int64_t startSeconds) : start_(startSeconds) {}

    // One tick at `nowSeconds`: the seconds counted in the current day (0..86399). When a full
    // day has passed the count starts again at 0 from now and one more day is counted. A clock
    // reading before the start counts as 0.
    std::int32_t Tick(std::int64_t nowSeconds);
    std::int32_t Days() const { return days_; }

  private:
    std::int64_t start_;
    std::int32_t days_ = 0;
};

// "Running: 0d01h02m03s": days, then hours, minutes and seconds of `seconds` with two digits.
std::string UptimeText(std::int32_t days, std::int32_t seconds);
// "Total Messages: 12".
std::string MessagesText(std::int64_t count);

// Whether the tick blinks the tray icon: the window is not shown, a message arrived while it was
// hidden (and did not bring it up), and more than two frames were processed in this run.
bool TrayShouldBlink(bool windowShown, bool shownByMessage, std::int64_t messageCount);
// The next picture of a blinking tray icon: 95 and 96 alternate.
int NextTrayImage(int current);

}  // namespace talvoro::app
