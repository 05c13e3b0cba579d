#include "net/listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <utility>

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

}  // namespace

bool Listener::Listen(std::uint16_t port, const char* bindAddress) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bindAddress != nullptr && ::inet_pton(AF_INET, bindAddress, &address.sin_addr) != 1) {
        return false;
    }
    Socket socket =
        AboveZero(Socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)));
    const int one = 1;
    if (!socket.valid() ||
        ::setsockopt(socket.fd(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket.fd(), kListenBacklog) != 0) {
        return false;
    }
    socket_ = std::move(socket);
    return true;
}

std::uint16_t Listener::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (!socket_.valid() ||
        ::getsockname(socket_.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

Socket Listener::Accept() {
    if (!socket_.valid()) {
        return {};
    }
    Socket client =
        AboveZero(Socket(::accept4(socket_.fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)));
    if (client.valid()) {
        const int one = 1;
        ::setsockopt(client.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return client;
}

}  // namespace talvoro::net
