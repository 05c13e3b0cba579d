#pragma once
// A listening TCP socket: accepts connections one at a time without blocking. The caller owns
// every accepted connection (as a Socket) and decides when to wait for more.
//
// Threads: one thread at a time uses a Listener.

#include <cstdint>

#include "net/socket.h"

namespace talvoro::net {

class Listener {
  public:
    // Listens on `port` (0: the system picks; see LocalPort) at `bindAddress` (dotted IPv4; null
    // means any address), non-blocking, SO_REUSEADDR, backlog 100. False on any failure (bad
    // address, port in use, no permission), in which case the previous listening socket, if any,
    // stays; on success it replaces (closes) the previous one.
    bool Listen(std::uint16_t port, const char* bindAddress = nullptr);

    // Port the listening socket is bound to; 0 when not listening.
    std::uint16_t LocalPort() const;

    // The listening descriptor (never 0), for the caller's wait; -1 when not listening.
    int fd() const { return socket_.fd(); }
    bool valid() const { return socket_.valid(); }

    // One pending connection, non-blocking with TCP_NODELAY, or an invalid Socket when none is
    // pending (or the accept failed; the next call tries again).
    Socket Accept();

    void Close() { socket_.reset(); }

  private:
    Socket socket_;
};

}  // namespace talvoro::net
