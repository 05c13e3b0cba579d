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

void MarkerHandler(int) {}

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

TEST(TerminationSignals, restores_the_previous_handlers) {
    struct sigaction marker {};
    marker.sa_handler = MarkerHandler;
    struct sigaction saved[2]{};
    ASSERT_EQ(::sigaction(SIGTERM, &marker, &saved[0]), 0);
    ASSERT_EQ(::sigaction(SIGINT, &marker, &saved[1]), 0);
    { TerminationSignals signals; }
    struct sigaction after[2]{};
    ::sigaction(SIGTERM, &saved[0], &after[0]);
    ::sigaction(SIGINT, &saved[1], &after[1]);
    EXPECT_EQ(after[0].sa_handler, &MarkerHandler);
    EXPECT_EQ(after[1].sa_handler, &MarkerHandler);
}

}  // namespace
}  // namespace talvoro::app
