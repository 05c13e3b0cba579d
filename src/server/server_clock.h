#pragma once
// Time as the server rules see it: a monotonic clock for deadlines (keep-alive, logon deadline)
// and the local wall clock as a date value (app/date_time.h) for logon times and the "hh:ii:ss"
// stamps of server lines. The rules receive a Clock so that tests can drive time by hand.

#include <chrono>
#include <cstdint>

namespace talvoro::server {

using SteadyTime = std::chrono::steady_clock::time_point;

// Implementations are called only by the thread that runs the server rules.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual SteadyTime Now() const = 0;
    virtual std::int32_t DateValue() const = 0;
};

// The real clocks: steady_clock and app::NowDateValue().
class SystemClock final : public Clock {
  public:
    SteadyTime Now() const override { return std::chrono::steady_clock::now(); }
    std::int32_t DateValue() const override;
};

}  // namespace talvoro::server
