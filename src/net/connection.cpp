#include "net/connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>

#include "net/file_block.h"
#include "net/poll_wait.h"

namespace talvoro::net {
namespace {

struct AddrInfoFree {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

std::optional<sockaddr_in> ResolveIpv4(const std::string& host, std::uint16_t port) {
    if (host.empty()) {
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, AddrInfoFree> list(found);
    sockaddr_in address{};
    std::memcpy(&address, list->ai_addr, std::min<std::size_t>(sizeof address, list->ai_addrlen));
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return address;
}

bool ConnectWithin(int fd, const sockaddr_in& address, int timeoutMs) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return true;
    }
    if (errno != EINPROGRESS) {
        return false;
    }
    if (!WaitReady(fd, POLLOUT, timeoutMs < 0 ? 0 : timeoutMs)) {
        return false;
    }
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

// Binds the socket's own end to `localAddress` (any port) before it connects; nothing to do
// without one.
bool BindLocal(int fd, const char* localAddress) {
    if (localAddress == nullptr) {
        return true;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    return ::inet_pton(AF_INET, localAddress, &local.sin_addr) == 1 &&
           ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

}  // namespace

Socket NetOpenConnection(const std::string& host, std::uint16_t port, int timeoutMs,
                         const char* localAddress) {
    const auto address = ResolveIpv4(host, port);
    if (!address) {
        return {};
    }
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid() || !BindLocal(socket.fd(), localAddress) ||
        !ConnectWithin(socket.fd(), *address, timeoutMs)) {
        return {};
    }
    const int flags = ::fcntl(socket.fd(), F_GETFL);
    if (flags < 0 || ::fcntl(socket.fd(), F_SETFL, flags & ~O_NONBLOCK) < 0) {
        return {};
    }
    const int one = 1;
    ::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return socket;
}

int NetClientEvent(int fd) {
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0 || waiting <= 0) {
        return kNetNothing;
    }
    if (static_cast<std::size_t>(waiting) < kFileBlockTag.size()) {
        return kNetData;
    }
    std::array<std::uint8_t, kFileBlockTag.size()> head{};
    const ssize_t n = ::recv(fd, head.data(), head.size(), MSG_PEEK | MSG_DONTWAIT);
    if (n == static_cast<ssize_t>(head.size()) && StartsWithFileBlockTag(head)) {
        return kNetFileBlock;
    }
    return kNetData;
}

long NetReceive(int fd, std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n >= 0 || errno != EINTR) {
            return static_cast<long>(n);
        }
    }
}

bool NetSend(int fd, std::span<const std::uint8_t> data, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data = data.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !WaitReady(fd, POLLOUT, static_cast<int>(left.count()))) {
            return false;
        }
    }
    return true;
}

bool NetSend(int fd, std::string_view data, int timeoutMs) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    return NetSend(fd, std::span<const std::uint8_t>(bytes, data.size()), timeoutMs);
}

}  // namespace talvoro::net
