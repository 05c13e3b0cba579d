#pragma once
// Client ids for new connections. An id names a user on the wire and is what the bootstrap tasks
// address, so it must not come back while a task may still hold it: ids count up from 1, wrap to
// 1 after the largest signed 32-bit value and skip the ids still in use. An id is therefore
// reused only after about two billion connections.
//
// Threads: the server thread only.

#include <cstdint>
#include <functional>
#include <limits>

#include "server/outbox.h"

namespace talvoro::server {

class ConnectionIds {
  public:
    // `last`: the id handed out before the first Next (tests start near the wrap).
    explicit ConnectionIds(ConnectionId last = 0) : last_(last) {}

    // The next id after the last one that `inUse` does not claim.
    ConnectionId Next(const std::function<bool(ConnectionId)>& inUse) {
        do {
            last_ = last_ >= std::numeric_limits<ConnectionId>::max() ? 1 : last_ + 1;
        } while (inUse(last_));
        return last_;
    }

  private:
    ConnectionId last_;
};

}  // namespace talvoro::server
