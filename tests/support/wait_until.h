#pragma once
// Bounded waiting for an observable result in tests: the predicate is polled until it holds or the
// deadline passes, so a test never asserts on a fixed sleep and never waits forever.

#include <chrono>
#include <thread>

namespace talvoro::test {

// True as soon as `done()` returns true; false if it still does not after `timeout`. The predicate
// is called at least once, on the calling thread.
template <typename Predicate>
bool WaitUntil(Predicate&& done, std::chrono::milliseconds timeout = std::chrono::seconds(10),
               std::chrono::milliseconds interval = std::chrono::milliseconds(1)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(interval);
    }
}

}  // namespace talvoro::test
