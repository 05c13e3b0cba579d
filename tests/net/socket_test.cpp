#include "net/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/eventfd.h>

#include <utility>

namespace talvoro::net {
namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

int NewDescriptor() {
    return ::eventfd(0, EFD_CLOEXEC);
}

TEST(Socket, closes_its_descriptor_once_when_destroyed) {
    const int fd = NewDescriptor();
    ASSERT_GE(fd, 0);
    { Socket socket(fd); }
    EXPECT_FALSE(IsOpen(fd));
    EXPECT_FALSE(Socket(-5).valid());
}

TEST(Socket, moves_ownership_and_closes_the_replaced_descriptor) {
    const int first = NewDescriptor();
    const int second = NewDescriptor();
    Socket a(first);
    Socket b(second);

    Socket c(std::move(a));
    EXPECT_FALSE(a.valid());  // a moved-from Socket is empty
    EXPECT_EQ(c.fd(), first);

    b = std::move(c);
    EXPECT_FALSE(IsOpen(second));
    EXPECT_TRUE(IsOpen(first));
    EXPECT_EQ(b.fd(), first);
    EXPECT_FALSE(c.valid());
}

TEST(Socket, release_hands_the_descriptor_over_and_reset_closes_it) {
    const int fd = NewDescriptor();
    Socket socket(fd);
    EXPECT_EQ(socket.release(), fd);
    EXPECT_FALSE(socket.valid());
    EXPECT_TRUE(IsOpen(fd));

    socket.reset(fd);
    EXPECT_EQ(socket.fd(), fd);
    socket.reset();
    EXPECT_FALSE(IsOpen(fd));
    EXPECT_EQ(socket.fd(), -1);
}

}  // namespace
}  // namespace talvoro::net
