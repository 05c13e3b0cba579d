#include "net/poll_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace talvoro::net {

bool WaitReady(int fd, short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    pollfd entry{fd, events, 0};
    int wait = timeoutMs;
    for (;;) {
        const int rc = ::poll(&entry, 1, wait);
        if (rc > 0) {
            return true;
        }
        if (rc == 0 || errno != EINTR) {
            return false;
        }
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            wait = static_cast<int>(left.count());
        }
    }
}

}  // namespace talvoro::net
