#include "app/uptime.h"

#include <cstdio>

namespace talvoro::app {

std::int32_t Uptime::Tick(std::int64_t nowSeconds) {
    std::int64_t seconds = nowSeconds - start_;
    if (seconds < 0) {
        seconds = 0;
    }
    if (seconds >= kSecondsPerDay) {
        seconds = 0;
        start_ = nowSeconds;
        ++days_;
    }
    return static_cast<std::int32_t>(seconds);
}

std::string UptimeText(std::int32_t days, std::int32_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "Running: %dd%02dh%02dm%02ds", static_cast<int>(days),
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds % 3600 / 60),
                  static_cast<int>(seconds % 60));
    return text;
}

std::string MessagesText(std::int64_t count) {
    return "Total Messages: " + std::to_string(count);
}

bool TrayShouldBlink(bool windowShown, bool shownByMessage, std::int64_t messageCount) {
    return !windowShown && shownByMessage && messageCount > 2;
}

int NextTrayImage(int current) {
    const int next = current + 1;
    return next > kTrayImageAlert ? kTrayImageNormal : next;
}

}  // namespace talvoro::app
