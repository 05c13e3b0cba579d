#include "server/output_queue.h"

#include <sys/socket.h>
#include <sys/uio.h>

#include <array>
#include <cerrno>

namespace talvoro::server {

namespace {

constexpr std::size_t kFramesPerSend = 64;

}  // namespace

void OutputQueue::Push(std::shared_ptr<const std::string> frame, SteadyTime now) {
    if (frame == nullptr || frame->empty()) {
        return;
    }
    if (frames_.empty()) {
        lastProgress_ = now;
    }
    bytes_ += frame->size();
    frames_.push_back(std::move(frame));
}

OutputQueue::Result OutputQueue::Flush(int fd, SteadyTime now) {
    while (!frames_.empty()) {
        std::array<iovec, kFramesPerSend> parts{};
        std::size_t count = 0;
        for (auto it = frames_.begin(); it != frames_.end() && count < parts.size(); ++it) {
            const std::size_t skip = count == 0 ? offset_ : 0;
            parts[count].iov_base = const_cast<char*>((*it)->data() + skip);
            parts[count].iov_len = (*it)->size() - skip;
            ++count;
        }
        msghdr message{};
        message.msg_iov = parts.data();
        message.msg_iovlen = count;
        const ssize_t sent = ::sendmsg(fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK ? Result::Pending : Result::Failed;
        }
        lastProgress_ = now;
        auto left = static_cast<std::size_t>(sent);
        bytes_ -= left;
        while (left > 0) {
            const std::size_t rest = frames_.front()->size() - offset_;
            if (left < rest) {
                offset_ += left;
                break;
            }
            left -= rest;
            offset_ = 0;
            frames_.pop_front();
        }
    }
    return Result::Done;
}

}  // namespace talvoro::server
