#pragma once
// The keep-alive timer: armed on every idle pass while the "KeepAlive" setting is on, stopped by
// every received frame except Heartbeat, so the notice "** Server Keep-Alive" goes out after
// "KeepAliveCycleTime" seconds without such a frame and again after every further period.
//
// Threads: server rules only. A value type driven by the time passed in; it reads no clock.

#include <chrono>
#include <optional>

#include "server/server_clock.h"

namespace talvoro::server {

// The range of the "KeepAliveCycleTime" setting in seconds; other values are clamped to it.
inline constexpr int kKeepAliveCycleMin = 10;
inline constexpr int kKeepAliveCycleMax = 9999;

class KeepAliveTimer {
  public:
    // Starts a repeating period from `now` unless one is armed already or `enabled` is false.
    // Periods below one second count as one second.
    void Arm(SteadyTime now, bool enabled, std::chrono::seconds period);

    void Stop() { deadline_.reset(); }

    bool armed() const { return deadline_.has_value(); }
    std::optional<SteadyTime> deadline() const { return deadline_; }

    // True when the period has run out at `now`; the next one then starts (periods missed while
    // the thread was busy are not made up).
    bool Expire(SteadyTime now);

  private:
    std::optional<SteadyTime> deadline_;
    std::chrono::seconds period_{1};
};

}  // namespace talvoro::server
