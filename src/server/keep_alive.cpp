#include "server/keep_alive.h"

#include <algorithm>

namespace talvoro::server {

void KeepAliveTimer::Arm(SteadyTime now, bool enabled, std::chrono::seconds period) {
    if (!enabled || deadline_) {
        return;
    }
    period_ = std::max(period, std::chrono::seconds(1));
    deadline_ = now + period_;
}

bool KeepAliveTimer::Expire(SteadyTime now) {
    if (!deadline_ || now < *deadline_) {
        return false;
    }
    *deadline_ += period_;
    if (*deadline_ <= now) {
        deadline_ = now + period_;
    }
    return true;
}

}  // namespace talvoro::server
