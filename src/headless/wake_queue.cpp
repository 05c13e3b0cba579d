#include "headless/wake_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace talvoro::headless {

WakeQueue::WakeQueue() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeQueue::~WakeQueue() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void WakeQueue::Post(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        // A counter at its limit is readable already, so a failed write loses no wake-up.
        [[maybe_unused]] const ssize_t ignored = ::write(fd_, &one, sizeof one);
    }
}

void WakeQueue::RunPending() {
    if (fd_ >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(fd_, &count, sizeof count);
    }
    std::deque<std::function<void()>> batch;
    {
        const std::lock_guard lock(mutex_);
        batch.swap(work_);
    }
    for (std::function<void()>& work : batch) {
        work();
    }
}

}  // namespace talvoro::headless
