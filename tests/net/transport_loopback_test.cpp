#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <cerrno>
#include <csignal>
#include <future>
#include <thread>
#include <vector>

#include "net/host_info.h"
#include "net/loopback_fixture.h"
#include "support/wait_until.h"

namespace talvoro::test {
namespace {

using net::kNetClosed;
using net::kNetConnected;
using net::kNetData;
using net::kNetFileBlock;
using net::kNetNothing;

bool Send(const net::Socket& socket, std::string_view text) {
    return net::NetSend(socket.fd(), text);
}

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

// Makes room for about `needed` descriptors; false if the hard limit does not allow it.
bool RaiseDescriptorLimit(rlim_t needed) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_max < needed) {
        return false;
    }
    limit.rlim_cur = std::max(limit.rlim_cur, needed);
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

using ServerEvents = LoopbackServer;

TEST_F(ServerEvents, reports_connect_data_file_block_and_close) {
    Pair a = ConnectAccepted();  // kNetConnected
    EXPECT_EQ(transport.ClientCount(), 1);
    EXPECT_EQ(net::NetPeerAddress(a.server), "127.0.0.1");

    ASSERT_TRUE(Send(a.client, "KWMGSFL"));  // 7 bytes of the tag are still data
    ASSERT_EQ(NextEvent(), kNetData);
    EXPECT_EQ(transport.NetEventClient(), a.server);
    ASSERT_TRUE(Send(a.client, "E"));
    EXPECT_TRUE(WaitUntil([&] { return transport.NetServerEvent() == kNetFileBlock; }));
    EXPECT_EQ(transport.NetEventClient(), a.server);
    EXPECT_EQ(net::NetClientEvent(a.server), kNetFileBlock);
    EXPECT_EQ(ReceiveExactly(a.server, 8), "KWMGSFLE");
    EXPECT_EQ(transport.NetServerEvent(), kNetNothing);
    ASSERT_TRUE(Send(a.client, "KWMGSFLX"));
    ASSERT_TRUE(Arrived(a.server));
    EXPECT_EQ(transport.NetServerEvent(), kNetData);
    EXPECT_EQ(ReceiveExactly(a.server, 8), "KWMGSFLX");

    a.client.reset();
    ASSERT_EQ(NextEvent(), kNetClosed);
    EXPECT_EQ(transport.NetEventClient(), a.server);
    EXPECT_EQ(transport.ClientCount(), 0);
    EXPECT_EQ(transport.NetServerEvent(), kNetNothing);

    Pair b = ConnectAccepted();
    const linger abort{1, 0};  // close with a reset instead of an orderly shutdown
    ASSERT_EQ(::setsockopt(b.client.fd(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
    b.client.reset();
    ASSERT_EQ(NextEvent(), kNetClosed);
    EXPECT_EQ(transport.NetEventClient(), b.server);
    EXPECT_EQ(transport.ClientCount(), 0);
}

TEST_F(ServerEvents, serves_the_lower_slot_first_and_fills_the_lowest_free_slot) {
    Pair a = ConnectAccepted();
    Pair b = ConnectAccepted();
    a.client.reset();
    ASSERT_EQ(NextEvent(), kNetClosed);
    Pair c = ConnectAccepted();  // takes slot 0, below b
    EXPECT_EQ(transport.ClientCount(), 2);

    ASSERT_TRUE(Send(b.client, "from b"));
    ASSERT_TRUE(Arrived(b.server));
    ASSERT_TRUE(Send(c.client, "from c"));
    ASSERT_TRUE(Arrived(c.server));
    for (int poll = 0; poll < 3; ++poll) {  // whatever arrived first
        ASSERT_EQ(transport.NetServerEvent(), kNetData);
        EXPECT_EQ(transport.NetEventClient(), c.server);
    }
    EXPECT_EQ(ReceiveExactly(c.server, 6), "from c");
    ASSERT_EQ(transport.NetServerEvent(), kNetData);
    EXPECT_EQ(transport.NetEventClient(), b.server);
}

TEST_F(ServerEvents, closing_a_client_itself_frees_its_slot_without_an_event) {
    Pair a = ConnectAccepted();
    transport.NetCloseConnection(a.server);
    EXPECT_EQ(transport.ClientCount(), 0);
    EXPECT_EQ(transport.NetServerEvent(), kNetNothing);
    EXPECT_EQ(ReceiveExactly(a.client.fd(), 1), "");  // the client sees the end of the stream

    net::Socket unrelated = Connect();  // not in a slot: left alone
    transport.NetCloseConnection(unrelated.fd());
    EXPECT_TRUE(Send(unrelated, "still open"));
}

TEST_F(ServerEvents, keeps_the_255th_connection_waiting_and_reuses_slots_the_server_freed) {
    if (!RaiseDescriptorLimit(600)) {
        GTEST_SKIP() << "needs about 600 open descriptors; RLIMIT_NOFILE does not allow it";
    }
    std::vector<Pair> clients;
    for (int i = 0; i < net::kClientSlots; ++i) {
        clients.push_back(ConnectAccepted());
        ASSERT_GE(clients.back().server, 0) << "client " << i;
    }
    net::Socket extra = Connect();  // completes in the listen queue, but gets no slot
    ASSERT_TRUE(extra.valid());
    EXPECT_FALSE(transport.WaitForActivity(100));  // a full table does not watch the listener
    for (int poll = 0; poll < 100; ++poll) {
        ASSERT_EQ(transport.NetServerEvent(), kNetNothing);
    }
    clients[100].client.reset();
    ASSERT_EQ(NextEvent(), kNetClosed);
    EXPECT_EQ(transport.NetEventClient(), clients[100].server);
    ASSERT_EQ(NextEvent(), kNetConnected);
    EXPECT_EQ(PortOf(transport.NetEventClient(), true), PortOf(extra.fd(), false));
    clients[100] = Pair{std::move(extra), transport.NetEventClient()};
    EXPECT_EQ(transport.ClientCount(), net::kClientSlots);

    for (const Pair& pair : clients) {
        transport.NetCloseConnection(pair.server);  // as for a refusal or a kick
    }
    EXPECT_EQ(transport.ClientCount(), 0);
    EXPECT_EQ(transport.NetServerEvent(), kNetNothing);
    clients.clear();
    for (int i = 0; i < net::kClientSlots; ++i) {
        clients.push_back(ConnectAccepted());
        ASSERT_GE(clients.back().server, 0) << "second round, client " << i;
    }
}

TEST_F(ServerEvents, wait_returns_for_waiting_data_and_for_a_wake_from_another_thread) {
    EXPECT_FALSE(transport.WaitForActivity(20));
    transport.Wake();
    EXPECT_TRUE(transport.WaitForActivity(10000));
    EXPECT_FALSE(transport.WaitForActivity(20));  // the wake-up was used up
    std::thread waker([this] { transport.Wake(); });
    EXPECT_TRUE(transport.WaitForActivity(10000));
    waker.join();

    Pair a = ConnectAccepted();
    ASSERT_TRUE(Send(a.client, "x"));
    EXPECT_TRUE(transport.WaitForActivity(10000));
    EXPECT_EQ(transport.NetServerEvent(), kNetData);
}

TEST_F(ServerEvents, a_port_in_use_fails_and_keeps_the_previous_listener) {
    net::Transport other;
    EXPECT_EQ(other.NetCreateServer(port, "127.0.0.1"), 0);
    EXPECT_EQ(other.NetCreateServer(0, "not an address"), 0);
    EXPECT_EQ(transport.NetCreateServer(port, "127.0.0.1"), 0);
    EXPECT_EQ(transport.LocalPort(), port);
    EXPECT_GE(ConnectAccepted().server, 0);
    transport.NetCloseServer();
    EXPECT_EQ(transport.LocalPort(), 0);
    EXPECT_EQ(transport.ClientCount(), 0);
}

using Connections = LoopbackServer;

TEST_F(Connections, client_sees_data_then_nothing_after_close_and_receive_never_blocks) {
    Pair a = ConnectAccepted();
    std::uint8_t buffer[16];
    errno = 0;
    EXPECT_EQ(net::NetReceive(a.server, buffer), -1);  // the accepted side is non-blocking
    EXPECT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);

    const int client = a.client.fd();
    EXPECT_EQ(net::NetClientEvent(client), kNetNothing);
    ASSERT_TRUE(net::NetSend(a.server, std::string_view("abcdefghij")));
    ASSERT_TRUE(Arrived(client));
    EXPECT_EQ(net::NetClientEvent(client), kNetData);
    ASSERT_EQ(ReceiveExactly(client, 10), "abcdefghij");

    transport.NetCloseConnection(a.server);
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
    EXPECT_TRUE(net::NetSend(a.server, data, 10000));  // non-blocking side: continues short sends
    transport.NetCloseConnection(a.server);            // the reader stops at the end of stream
    EXPECT_TRUE(reader.get() == data);
}

TEST_F(Connections, send_to_a_peer_that_stops_reading_fails_after_the_wait) {
    Pair a = ConnectAccepted();
    const int small = 64 * 1024;
    ::setsockopt(a.client.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    ::setsockopt(a.server, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    const std::vector<std::uint8_t> data = Pattern(16 * 1024 * 1024);
    auto sent = std::async(std::launch::async,
                           [fd = a.server, &data] { return net::NetSend(fd, data, 200); });
    const bool finished = sent.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    EXPECT_TRUE(finished) << "NetSend did not give up on a peer that does not read";
    if (!finished) {
        ::shutdown(a.server, SHUT_RDWR);
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
        failed = !net::NetSend(a.server, std::string_view("after close"), 1000);
    }
    EXPECT_TRUE(failed);
    ::sigaction(SIGPIPE, &previous, nullptr);

    ASSERT_TRUE(net::NetInit());  // and the process ignores SIGPIPE from then on
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGPIPE, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_IGN);
}

TEST_F(Connections, open_fails_on_a_closed_port_or_unresolvable_name_and_connects_by_name) {
    net::Socket bound(::socket(AF_INET, SOCK_STREAM, 0));  // holds a port nobody listens on
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(bound.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(net::NetOpenConnection("127.0.0.1", PortOf(bound.fd(), false), 60000).valid());
    EXPECT_FALSE(net::NetOpenConnection("", port).valid());
    // A label over 63 characters cannot be put into a DNS query, so no query leaves the machine.
    EXPECT_FALSE(net::NetOpenConnection(std::string(70, 'x') + ".invalid", port).valid());

    net::Socket client = net::NetOpenConnection("localhost", port, 5000);
    ASSERT_TRUE(client.valid());
    EXPECT_EQ(::fcntl(client.fd(), F_GETFL) & O_NONBLOCK, 0);  // a blocking connection
    EXPECT_EQ(NextEvent(), kNetConnected);
}

}  // namespace
}  // namespace talvoro::test
