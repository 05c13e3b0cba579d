#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <future>
#include <vector>

#include "net/file_block.h"
#include "net/host_info.h"
#include "net/loopback_fixture.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro::test {
namespace {

using net::kNetData;
using net::kNetNothing;

// Waits until a connection has at least one byte to read.
bool Arrived(int fd) {
    return WaitUntil([&] { return net::NetClientEvent(fd) != kNetNothing; });
}

// A pattern that shows lost, repeated or reordered bytes.
std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

TEST_F(LoopbackServer, a_port_in_use_fails_and_keeps_the_previous_listener) {
    net::Listener other;
    EXPECT_FALSE(other.Listen(port, "127.0.0.1"));
    EXPECT_FALSE(other.Listen(0, "not an address"));
    EXPECT_FALSE(listener.Listen(port, "127.0.0.1"));
    EXPECT_EQ(listener.LocalPort(), port);
    EXPECT_TRUE(ConnectAccepted().server.valid());
    EXPECT_FALSE(listener.Accept().valid());  // nothing pending: no wait
    listener.Close();
    EXPECT_EQ(listener.LocalPort(), 0);
}

using Connections = LoopbackServer;

TEST_F(Connections, client_sees_data_then_nothing_after_close_and_receive_never_blocks) {
    Pair a = ConnectAccepted();
    std::uint8_t buffer[16];
    errno = 0;
    EXPECT_EQ(net::NetReceive(a.server.fd(), buffer), -1);  // the accepted side is non-blocking
    EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);

    const int client = a.client.fd();
    EXPECT_EQ(net::NetClientEvent(client), kNetNothing);
    ASSERT_TRUE(net::NetSend(a.server.fd(), std::string_view("abcdefghij")));
    ASSERT_TRUE(Arrived(client));
    EXPECT_EQ(net::NetClientEvent(client), kNetData);
    ASSERT_EQ(ReceiveExactly(client, 10), "abcdefghij");

    a.server.reset();
    EXPECT_EQ(net::NetReceive(client, buffer), 0);  // closed: end of stream
    EXPECT_EQ(net::NetClientEvent(client), kNetNothing);
}

TEST_F(Connections, send_delivers_data_larger_than_the_socket_buffers_whole) {
    Pair a = ConnectAccepted();
    const std::vector<std::uint8_t> data = Pattern(16 * 1024 * 1024);
    auto reader = std::async(std::launch::async, [fd = a.client.fd(), size = data.size()] {
        std::vector<std::uint8_t> got;
        std::vector<std::uint8_t> buffer(64 * 1024);
        for (long n = 1; got.size() < size && n > 0;) {
            n = net::NetReceive(fd, buffer);
            got.insert(got.end(), buffer.begin(), buffer.begin() + std::max(n, 0L));
        }
        return got;
    });
    EXPECT_TRUE(
        net::NetSend(a.server.fd(), data, 10000));  // non-blocking side: continues short sends
    a.server.reset();                               // the reader stops at the end of stream
    EXPECT_TRUE(reader.get() == data);
}

TEST_F(Connections, send_to_a_peer_that_stops_reading_fails_after_the_wait) {
    Pair a = ConnectAccepted();
    const int small = 64 * 1024;
    ::setsockopt(a.client.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ::setsockopt(a.server.fd(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    const std::vector<std::uint8_t> data = Pattern(16 * 1024 * 1024);
    auto sent = std::async(std::launch::async,
                           [fd = a.server.fd(), &data] { return net::NetSend(fd, data, 200); });
    const bool finished = sent.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    EXPECT_TRUE(finished) << "NetSend did not give up on a peer that does not read";
    if (!finished) {
        ::shutdown(a.server.fd(), SHUT_RDWR);
    }
    EXPECT_FALSE(sent.get());
}

TEST_F(Connections, send_to_a_closed_peer_fails_without_a_signal) {
    struct sigaction defaultAction {};
    struct sigaction previous {};
    defaultAction.sa_handler = SIG_DFL;
    ASSERT_EQ(::sigaction(SIGPIPE, &defaultAction, &previous), 0);  // SIGPIPE would end the test
    Pair a = ConnectAccepted();
    a.client.reset();
    bool failed = false;
    for (int attempt = 0; attempt < 100 && !failed; ++attempt) {
        failed = !net::NetSend(a.server.fd(), std::string_view("after close"), 1000);
    }
    EXPECT_TRUE(failed);
    ::sigaction(SIGPIPE, &previous, nullptr);

    ASSERT_TRUE(net::NetInit());  // and the process ignores SIGPIPE from then on
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_IGN);
}

TEST_F(Connections, open_fails_on_a_closed_port_or_unresolvable_name_and_connects_by_name) {
    net::Listener closed;  // a port nobody listens on once it is closed
    ASSERT_TRUE(closed.Listen(0, "127.0.0.1"));
    const std::uint16_t closedPort = closed.LocalPort();
    closed.Close();
    EXPECT_FALSE(net::NetOpenConnection("127.0.0.1", closedPort, 60000).valid());
    EXPECT_FALSE(net::NetOpenConnection("", port).valid());
    // A label over 63 characters cannot be put into a DNS query, so no query leaves the machine.
    EXPECT_FALSE(net::NetOpenConnection(std::string(70, 'x') + ".invalid", port).valid());

    net::Socket client = net::NetOpenConnection("localhost", port, 5000);
    ASSERT_TRUE(client.valid());
    EXPECT_EQ(::fcntl(client.fd(), F_GETFL) & O_NONBLOCK, 0);  // a blocking connection
    EXPECT_TRUE(Accept().valid());
}

// Only the sending side is used by the program; its counterpart is the transfer receiver.
TEST_F(Connections, send_file_sends_one_block_and_nothing_for_an_unreadable_source) {
    Pair a = ConnectAccepted();
    TempDir dir;
    std::ofstream(dir.file("empty")).flush();
    std::ofstream(dir.file("abc")) << "abc";
    EXPECT_FALSE(net::NetSendFile(a.client.fd(), dir.file("does-not-exist")));
    EXPECT_FALSE(net::NetSendFile(a.client.fd(), dir.dir()));  // a directory
    ASSERT_TRUE(net::NetSendFile(a.client.fd(), dir.file("empty")));
    ASSERT_TRUE(net::NetSendFile(a.client.fd(), dir.file("abc")));
    ASSERT_TRUE(Arrived(a.server.fd()));
    EXPECT_EQ(net::NetClientEvent(a.server.fd()),
              net::kNetFileBlock);  // the failed sends sent nothing
    EXPECT_EQ(ReceiveExactly(a.server.fd(), 27),
              std::string("KWMGSFLE\0\0\0\0KWMGSFLE\3\0\0\0abc", 27));
}

}  // namespace
}  // namespace talvoro::test
