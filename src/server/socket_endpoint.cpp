#include "server/socket_endpoint.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>

namespace talvoro::server {

namespace {

PeerEndpoint FromAddress(const sockaddr_in& address) {
    std::array<char, INET_ADDRSTRLEN> text{};
    if (::inet_ntop(AF_INET, &address.sin_addr, text.data(), text.size()) == nullptr) {
        return {};
    }
    return PeerEndpoint{text.data(), ntohs(address.sin_port)};
}

template <typename GetName>
PeerEndpoint Endpoint(int fd, GetName getName) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (fd < 0 || getName(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.sin_family != AF_INET) {
        return {};
    }
    return FromAddress(address);
}

}  // namespace

PeerEndpoint PeerEndpointOf(int fd) {
    return Endpoint(fd, ::getpeername);
}

PeerEndpoint LocalEndpointOf(int fd) {
    return Endpoint(fd, ::getsockname);
}

}  // namespace talvoro::server
