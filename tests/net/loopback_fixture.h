#pragma once
// Helpers of the loopback tests: a bounded read of an exact byte count, and a fixture with a
// Listener on 127.0.0.1 at a port the system picks.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "net/poll_wait.h"
#include "net/transport.h"

namespace talvoro::test {

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
        net::Socket server;  // the accepted end
    };

    void SetUp() override {
        ASSERT_TRUE(listener.Listen(0, "127.0.0.1"));
        port = listener.LocalPort();
        ASSERT_NE(port, 0);
    }

    // The next accepted connection, waiting up to 10 s; invalid if none came.
    net::Socket Accept() {
        return net::WaitReady(listener.fd(), POLLIN, 10000) ? listener.Accept() : net::Socket{};
    }

    // A connected client and the server side of it.
    Pair ConnectAccepted() {
        Pair pair{net::NetOpenConnection("127.0.0.1", port, 5000), {}};
        if (pair.client.valid()) {
            pair.server = Accept();
        }
        EXPECT_TRUE(pair.server.valid()) << "the server did not accept a connection";
        return pair;
    }

    net::Listener listener;
    std::uint16_t port = 0;
};

}  // namespace talvoro::test
