#pragma once
// Frames waiting to go out to one connection. Sending never blocks: what the socket does not take
// now stays queued, whole frames in order, and is continued when the loop flushes again. The loop
// treats a connection as broken when a send fails, when too much is queued, or when queued output
// has made no progress for too long: so a client that stops reading never stalls the others.
//
// Threads: one queue per connection, used by the server thread only.

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "server/server_clock.h"

namespace talvoro::server {

class OutputQueue {
  public:
    enum class Result { Done, Pending, Failed };

    // Queues one frame (shared between the recipients of a broadcast).
    void Push(std::shared_ptr<const std::string> frame, SteadyTime now);

    // Sends as much as the socket `fd` takes now. Done: nothing left; Pending: the socket is
    // full; Failed: the connection is broken.
    Result Flush(int fd, SteadyTime now);

    bool empty() const { return frames_.empty(); }
    std::size_t bytes() const { return bytes_; }
    // The last time bytes went out, or when the queue last became non-empty.
    SteadyTime lastProgress() const { return lastProgress_; }

  private:
    std::deque<std::shared_ptr<const std::string>> frames_;
    std::size_t offset_ = 0;  // bytes of frames_.front() already sent
    std::size_t bytes_ = 0;   // unsent bytes in the queue
    SteadyTime lastProgress_{};
};

}  // namespace talvoro::server
