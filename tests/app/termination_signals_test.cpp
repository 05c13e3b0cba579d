#include "app/termination_signals.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <csignal>

namespace talvoro::app {
namespace {

bool ReadableWithin(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) == 1 && (entry.revents & POLLIN) != 0;
}

TEST(TerminationSignals, sigterm_and_sigint_make_the_descriptor_readable) {
    TerminationSignals signals;
    ASSERT_GE(signals.fd(), 0);
    EXPECT_FALSE(ReadableWithin(signals.fd(), 0));
    for (int signal : {SIGTERM, SIGINT}) {
        ASSERT_EQ(std::raise(signal), 0);
        ASSERT_TRUE(ReadableWithin(signals.fd(), 5000));
        EXPECT_EQ(signals.Consume(), signal);
        EXPECT_FALSE(ReadableWithin(signals.fd(), 0));
    }
    EXPECT_EQ(signals.Consume(), 0);
}

}  // namespace
}  // namespace talvoro::app
