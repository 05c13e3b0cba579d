#include "ui/away_timer.h"

#include <algorithm>

namespace talvoro::ui {

namespace {
constexpr int kMinMinutes = 1;
constexpr int kMaxMinutes = 99;
}  // namespace

AwayTimer::AwayTimer(const app::Settings& settings, StatusReader status, StatusWriter setStatus,
                     std::chrono::milliseconds minute)
    : settings_(settings),
      status_(std::move(status)),
      setStatus_(std::move(setStatus)),
      minute_(minute) {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Fired(); });
}

void AwayTimer::Arm() {
    if (settings_.AwayMessage == 0 || timer_.isActive() || stopped_) {
        return;
    }
    const int minutes = std::clamp(static_cast<int>(settings_.AwayTime), kMinMinutes, kMaxMinutes);
    timer_.start(minutes * minute_);
}

void AwayTimer::Reset() {
    if (!timer_.isActive()) {
        return;  // a manual away without the timer stays
    }
    timer_.stop();
    if (status_() == chat::OwnStatus::Away) {
        setStatus_(chat::OwnStatus::Present);
    }
    Arm();
}

void AwayTimer::Restart() {
    if (timer_.isActive()) {
        timer_.stop();
        Arm();
    }
}

void AwayTimer::Toggle() {
    if (status_() == chat::OwnStatus::Away) {
        setStatus_(chat::OwnStatus::Present);
        timer_.stop();
        Arm();
    } else {
        setStatus_(chat::OwnStatus::Away);
    }
}

void AwayTimer::Stop() {
    stopped_ = true;
    timer_.stop();
}

void AwayTimer::Fired() {
    if (status_() == chat::OwnStatus::Present) {
        setStatus_(chat::OwnStatus::Away);
    }
}

}  // namespace talvoro::ui
