#include "ui/command_router.h"

#include <gtest/gtest.h>

#include <vector>

namespace talvoro::ui {
namespace {

TEST(CommandRouter, routes_single_numbers_and_ranges) {
    CommandRouter router;
    std::vector<int> seen;
    router.SetHandler(7, [&](int n) { seen.push_back(n); });
    router.SetRangeHandler(2000, 2999, [&](int n) { seen.push_back(-n); });
    EXPECT_TRUE(router.Dispatch(7));
    EXPECT_TRUE(router.Dispatch(2005));
    EXPECT_FALSE(router.Dispatch(3000));
    EXPECT_EQ(seen, std::vector<int>({7, -2005}));
    EXPECT_TRUE(router.Handles(2999));
    EXPECT_FALSE(router.Handles(1999));
}

TEST(CommandRouter, a_later_handler_overrides_an_earlier_one) {
    CommandRouter router;
    std::vector<int> seen;
    router.SetRangeHandler(500, 504, [&](int) { seen.push_back(1); });
    router.SetHandler(504, [&](int) { seen.push_back(2); });
    router.Dispatch(504);
    router.Dispatch(501);
    EXPECT_EQ(seen, std::vector<int>({2, 1}));
}

TEST(CommandRouter, unhandled_numbers_reach_the_fallback) {
    CommandRouter router;
    std::vector<int> fallback;
    EXPECT_FALSE(router.Dispatch(1));  // no fallback: nothing happens
    router.SetFallback([&](int n) { fallback.push_back(n); });
    router.SetHandler(2, {});  // an empty handler covers nothing
    EXPECT_FALSE(router.Dispatch(2));
    EXPECT_EQ(fallback, std::vector<int>({2}));
}

TEST(CommandRouter, a_handler_may_dispatch_and_register_while_running) {
    CommandRouter router;
    std::vector<int> seen;
    router.SetHandler(46, [&](int) {
        router.SetHandler(400, [&](int n) { seen.push_back(n); });
        router.Dispatch(400);
    });
    router.Dispatch(46);
    EXPECT_EQ(seen, std::vector<int>({400}));
}

}  // namespace
}  // namespace talvoro::ui
