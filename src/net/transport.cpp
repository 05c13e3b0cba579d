#include "net/transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace talvoro::net {
namespace {

constexpr int kListenBacklog = 100;

// Descriptor 0 reads as "no socket" to callers, so a socket that lands on it (stdin closed) is
// moved to a higher number.
Socket AboveZero(Socket socket) {
    if (socket.fd() == 0) {
        socket.reset(::fcntl(0, F_DUPFD_CLOEXEC, 1));  // closes descriptor 0
    }
    return socket;
}

bool IsPeerGone(int error) {
    return error == ECONNRESET || error == ECONNABORTED || error == ENOTCONN ||
           error == ESHUTDOWN || error == EPIPE || error == ETIMEDOUT;
}

}  // namespace

bool NetInit() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

Transport::Transport() : wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

int Transport::NetCreateServer(std::uint16_t port, const char* bindAddress) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bindAddress != nullptr && ::inet_pton(AF_INET, bindAddress, &address.sin_addr) != 1) {
        return 0;
    }
    Socket socket =
        AboveZero(Socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)));
    const int one = 1;
    if (!socket.valid() ||
        ::setsockopt(socket.fd(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket.fd(), kListenBacklog) != 0) {
        return 0;
    }
    listener_ = std::move(socket);
    return listener_.fd();
}

std::uint16_t Transport::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (!listener_.valid() ||
        ::getsockname(listener_.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

int Transport::NetServerEvent() {
    if (AcceptPending()) {
        return kNetConnected;
    }
    return ScanSlots();
}

bool Transport::AcceptPending() {
    if (!listener_.valid() || clientCount_ >= kClientSlots) {
        return false;
    }
    // Errors (nothing pending, aborted handshake, out of descriptors) leave the queue as it is and
    // let the slots be served; the next call tries again.
    Socket client = AboveZero(
        Socket(::accept4(listener_.fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)));
    if (!client.valid()) {
        return false;
    }
    const int one = 1;
    ::setsockopt(client.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    for (Socket& slot : slots_) {
        if (!slot.valid()) {
            eventClient_ = client.fd();
            slot = std::move(client);
            ++clientCount_;
            return true;
        }
    }
    return false;  // unreachable while clientCount_ matches the table
}

int Transport::ScanSlots() {
    for (Socket& slot : slots_) {
        if (!slot.valid()) {
            continue;
        }
        std::array<std::uint8_t, kFileBlockTag.size()> head{};
        const ssize_t n = ::recv(slot.fd(), head.data(), head.size(), MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) {
            eventClient_ = slot.fd();
            return StartsWithFileBlockTag(std::span(head).first(static_cast<std::size_t>(n)))
                       ? kNetFileBlock
                       : kNetData;
        }
        if (n == 0 || IsPeerGone(errno)) {
            eventClient_ = slot.fd();
            FreeSlot(slot);
            return kNetClosed;
        }
    }
    return kNetNothing;
}

void Transport::FreeSlot(Socket& slot) {
    slot.reset();
    --clientCount_;
}

bool Transport::WaitForActivity(int timeoutMs) {
    std::array<pollfd, kClientSlots + 2> watched{};
    nfds_t count = 0;
    if (wake_.valid()) {
        watched[count++] = pollfd{wake_.fd(), POLLIN, 0};
    }
    if (listener_.valid() && clientCount_ < kClientSlots) {
        watched[count++] = pollfd{listener_.fd(), POLLIN, 0};
    }
    for (const Socket& slot : slots_) {
        if (slot.valid()) {
            watched[count++] = pollfd{slot.fd(), POLLIN, 0};
        }
    }
    const int rc = ::poll(watched.data(), count, timeoutMs < 0 ? -1 : timeoutMs);
    if (rc > 0 && wake_.valid() && watched[0].revents != 0) {
        std::uint64_t drained = 0;
        [[maybe_unused]] const ssize_t n = ::read(wake_.fd(), &drained, sizeof drained);
    }
    return rc > 0 || (rc < 0 && errno == EINTR);
}

void Transport::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_.fd(), &one, sizeof one);
}

void Transport::NetCloseConnection(int fd) {
    if (fd < 0) {
        return;
    }
    for (Socket& slot : slots_) {
        if (slot.fd() == fd) {
            FreeSlot(slot);
            return;
        }
    }
}

void Transport::NetCloseServer() {
    for (Socket& slot : slots_) {
        if (slot.valid()) {
            FreeSlot(slot);
        }
    }
    listener_.reset();
}

}  // namespace talvoro::net
