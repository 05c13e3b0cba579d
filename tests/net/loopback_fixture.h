#pragma once
// Fixture of the loopback tests: a Transport listening on 127.0.0.1 at a port the system picks,
// with bounded helpers to connect clients, wait for server events and read exact byte counts.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "net/poll_wait.h"
#include "net/transport.h"

namespace talvoro::test {

// Port of one end of a connection: the local one, or the peer's.
inline std::uint16_t PortOf(int fd, bool peer) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    const int rc = peer ? ::getpeername(fd, raw, &length) : ::getsockname(fd, raw, &length);
    return rc == 0 ? ntohs(address.sin_port) : 0;
}

// Reads exactly `count` bytes from `fd` (blocking or not), giving up after `timeout` or when the
// peer closes; returns what arrived.
inline std::string ReceiveExactly(int fd, std::size_t count,
                                  std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string received;
    char buffer[4096];
    while (received.size() < count && std::chrono::steady_clock::now() < deadline) {
        if (net::WaitReady(fd, POLLIN, 100)) {
            const long n =
                ::recv(fd, buffer, std::min(sizeof buffer, count - received.size()), MSG_DONTWAIT);
            if (n == 0) {
                break;
            }
            received.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        }
    }
    return received;
}

class LoopbackServer : public ::testing::Test {
  protected:
    struct Pair {
        net::Socket client;
        int server = -1;  // the accepted connection's descriptor, owned by the transport
    };

    void SetUp() override {
        ASSERT_GT(transport.NetCreateServer(0, "127.0.0.1"), 0);
        port = transport.LocalPort();
        ASSERT_NE(port, 0);
    }

    net::Socket Connect() const { return net::NetOpenConnection("127.0.0.1", port, 5000); }

    // The next server event, waiting up to `timeout` for one; kNetNothing if none came.
    int NextEvent(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int event = transport.NetServerEvent();
        while (event == net::kNetNothing && std::chrono::steady_clock::now() < deadline) {
            transport.WaitForActivity(100);
            event = transport.NetServerEvent();
        }
        return event;
    }

    // A connected client and the server side of it; a failure (server stays -1) if the accept was
    // not seen.
    Pair ConnectAccepted() {
        Pair pair{Connect(), -1};
        if (pair.client.valid() && NextEvent() == net::kNetConnected) {
            pair.server = transport.NetEventClient();
        }
        EXPECT_GE(pair.server, 0) << "the server did not accept a connection";
        return pair;
    }

    net::Transport transport;
    std::uint16_t port = 0;
};

}  // namespace talvoro::test
