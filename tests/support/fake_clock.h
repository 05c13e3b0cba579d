#pragma once
// A date-value clock that tests set by hand.

#include <cstdint>
#include <functional>

namespace talvoro::test {

struct FakeClock {
    std::int32_t now = 0;

    // A clock function reading `now`; the FakeClock must outlive it.
    std::function<std::int32_t()> Function() {
        return [this] { return now; };
    }
};

// 2024-05-06 12:34:56 as a date value: "12:34:56" in the time masks.
inline constexpr std::int32_t kTestNoon = 1714998896;

}  // namespace talvoro::test
