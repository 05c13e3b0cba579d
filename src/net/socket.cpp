#include "net/socket.h"

#include <unistd.h>

namespace talvoro::net {

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        reset(other.release());
    }
    return *this;
}

int Socket::release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void Socket::reset(int fd) noexcept {
    if (fd_ >= 0 && fd_ != fd) {
        // After close() the descriptor is gone even when it reports EINTR (Linux), so no retry.
        ::close(fd_);
    }
    fd_ = fd < 0 ? -1 : fd;
}

}  // namespace talvoro::net
