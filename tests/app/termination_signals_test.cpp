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
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_TRUE(ReadableWithin(signals.fd(), 5000));
    EXPECT_EQ(signals.Consume(), SIGTERM);
    EXPECT_FALSE(ReadableWithin(signals.fd(), 0));
    ASSERT_EQ(std::raise(SIGINT), 0);
    ASSERT_TRUE(ReadableWithin(signals.fd(), 5000));
    EXPECT_EQ(signals.Consume(), SIGINT);
    EXPECT_EQ(signals.Consume(), 0);
}

TEST(TerminationSignals, restores_the_previous_handlers) {
    struct sigaction marker {};
    marker.sa_handler = MarkerHandler;
    struct sigaction savedTerm {};
    struct sigaction savedInt {};
    ASSERT_EQ(::sigaction(SIGTERM, &marker, &savedTerm), 0);
    ASSERT_EQ(::sigaction(SIGINT, &marker, &savedInt), 0);
    { TerminationSignals signals; }
    struct sigaction afterTerm {};
    struct sigaction afterInt {};
    ::sigaction(SIGTERM, &savedTerm, &afterTerm);
    ::sigaction(SIGINT, &savedInt, &afterInt);
    EXPECT_EQ(afterTerm.sa_handler, &MarkerHandler);
    EXPECT_EQ(afterInt.sa_handler, &MarkerHandler);
}

}  // namespace
}  // namespace talvoro::app
