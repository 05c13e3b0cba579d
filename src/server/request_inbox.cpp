#include "server/request_inbox.h"

namespace talvoro::server {

bool RequestInbox::Push(Request request) {
    std::lock_guard lock(mutex_);
    if (!open_) {
        return false;
    }
    requests_.push_back(std::move(request));
    wake_();
    return true;
}

std::vector<Request> RequestInbox::TakeAll() {
    std::lock_guard lock(mutex_);
    std::vector<Request> taken;
    taken.swap(requests_);
    return taken;
}

void RequestInbox::Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    requests_.clear();
    wake_ = nullptr;
}

}  // namespace talvoro::server
