#include "server/output_queue.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>

#include "net/socket.h"

namespace talvoro::server {
namespace {

class OutputQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        writer.reset(fds[0]);
        reader.reset(fds[1]);
        const int small = 4096;
        ::setsockopt(writer.fd(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    }

    std::string ReadAvailable() {
        std::string got;
        char buffer[65536];
        for (ssize_t n; (n = ::recv(reader.fd(), buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) {
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    void Push(char fill, std::size_t size) {
        queue.Push(std::make_shared<const std::string>(size, fill), now);
    }

    net::Socket writer;
    net::Socket reader;
    OutputQueue queue;
    SteadyTime now{std::chrono::hours(1)};
};

// What the socket does not take waits and goes later, in order; progress counts only when bytes go
// out, and a flush to a peer that has gone fails.
TEST_F(OutputQueueTest, keeps_what_the_socket_does_not_take_and_fails_once_the_peer_is_gone) {
    std::string expected;
    for (char fill = 'a'; fill <= 'z'; ++fill) {
        Push(fill, 3000);
        expected.append(3000, fill);
    }
    const SteadyTime later = now + std::chrono::seconds(3);
    ASSERT_EQ(queue.Flush(writer.fd(), later), OutputQueue::Result::Pending);
    EXPECT_EQ(queue.lastProgress(), later);  // the socket took the first part
    EXPECT_EQ(queue.Flush(writer.fd(), later + std::chrono::seconds(3)),
              OutputQueue::Result::Pending);
    EXPECT_EQ(queue.lastProgress(), later);
    std::string received;
    for (int round = 0; round < 1000 && received.size() < expected.size(); ++round) {
        received += ReadAvailable();
        queue.Flush(writer.fd(), now);
    }
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.bytes(), 0U);
    Push('x', 1 << 20);
    reader.reset();
    EXPECT_EQ(queue.Flush(writer.fd(), later), OutputQueue::Result::Failed);
}

}  // namespace
}  // namespace talvoro::server
