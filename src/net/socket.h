#pragma once
// Move-only owner of one socket descriptor: the descriptor is closed exactly once, when the owner
// is destroyed or reset. Any thread may own a Socket; one Socket is used by one thread at a time.

namespace talvoro::net {

class Socket {
  public:
    Socket() noexcept = default;
    // Takes ownership of `fd`; a negative value makes an empty (invalid) Socket.
    explicit Socket(int fd) noexcept : fd_(fd < 0 ? -1 : fd) {}
    ~Socket() { reset(); }

    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // The descriptor, or -1 when empty.
    int fd() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }

    // Gives up ownership without closing; returns the descriptor (-1 when empty).
    int release() noexcept;

    // Closes the owned descriptor (if any) and takes `fd` instead.
    void reset(int fd = -1) noexcept;

  private:
    int fd_ = -1;
};

}  // namespace talvoro::net
