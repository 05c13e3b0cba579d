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

TEST(Socket, owns_one_descriptor_through_moves_release_and_reset_and_closes_it_once) {
    const int first = ::eventfd(0, EFD_CLOEXEC);
    const int second = ::eventfd(0, EFD_CLOEXEC);
    {
        Socket a(first);
        Socket b(second);
        Socket c(std::move(a));
        EXPECT_FALSE(a.valid());  // a moved-from Socket is empty
        b = std::move(c);
        EXPECT_FALSE(IsOpen(second));
        EXPECT_EQ(b.fd(), first);
        EXPECT_FALSE(c.valid());
        EXPECT_EQ(b.release(), first);
        EXPECT_FALSE(b.valid());
        b.reset(first);
    }
    EXPECT_FALSE(IsOpen(first));  // closed when its owner was destroyed
    Socket socket(::eventfd(0, EFD_CLOEXEC));
    const int fd = socket.fd();
    socket.reset();
    EXPECT_FALSE(IsOpen(fd));
    EXPECT_EQ(socket.fd(), -1);
    EXPECT_FALSE(Socket(-5).valid());
}

}  // namespace
}  // namespace talvoro::net
