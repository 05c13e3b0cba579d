#include "app/logon_settings.h"

#include <gtest/gtest.h>

#include <set>

namespace talvoro::app {
namespace {

AnonymousNumberSource Fixed(int n) {
    return [n] { return n; };
}

TEST(LogonAlias, trims_the_typed_alias_or_numbers_an_anonymous_one_within_0_to_1024) {
    EXPECT_EQ(AliasOrAnonymous("  bob smith \t", Fixed(5)), "bob smith");
    EXPECT_EQ(AliasOrAnonymous(" " + std::string(23, 'a') + " bcd", Fixed(5)),
              std::string(23, 'a'));
    EXPECT_EQ(AliasOrAnonymous("", Fixed(517)), "Anonymous517");
    EXPECT_EQ(AliasOrAnonymous(" \t ", Fixed(1024)), "Anonymous1024");
    EXPECT_EQ(AliasOrAnonymous("", Fixed(-1)), "Anonymous1024");
    EXPECT_EQ(AliasOrAnonymous("", AnonymousNumberSource{}), "Anonymous0");

    auto source = RandomAnonymousNumbers();
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int n = source();
        ASSERT_TRUE(n >= 0 && n <= kHighestAnonymousNumber) << n;
        seen.insert(n);
    }
    EXPECT_GT(seen.size(), 100u) << "the source should not repeat one value";
}

TEST(LogonPort, reads_leading_digits_and_cuts_large_values_to_65535) {
    EXPECT_EQ(PortFromField("1805"), 1805);
    EXPECT_EQ(PortFromField("65536"), 65535);
    EXPECT_EQ(PortFromField("99999999999999999999"), 65535);
    EXPECT_EQ(PortFromField("80x"), 80);
    EXPECT_EQ(PortFromField("abc"), 0);
}

TEST(ContrastRule, replaces_a_colour_close_to_the_background_by_its_complement) {
    EXPECT_EQ(ApplyContrastRule(0xFFFFFF, 0xFFFFFF), 0x000000);  // white on white
    EXPECT_EQ(ApplyContrastRule(0x808080, 0xFFFFFF), 0x808080);  // mid grey is far enough
    EXPECT_EQ(ApplyContrastRule(0x000000, 0x000000), 0x000000);  // 0.9 * 0 is not below 0
    // Red edge 0.9 * 255 = 229.5, 229.49999 in single precision, so 229: 230 is inside.
    EXPECT_EQ(ApplyContrastRule(0xFFFFE6, 0xFFFFFF), 0x000019);
    EXPECT_EQ(ApplyContrastRule(0xFFFFE5, 0xFFFFFF), 0xFFFFE5);
    // Brighter text: 0.9 * 222 = 199.8 < 200 is inside, 0.9 * 223 = 200.7 outside.
    EXPECT_EQ(ApplyContrastRule(0xDEDEDE, 0xC8C8C8), 0x212121);
    EXPECT_EQ(ApplyContrastRule(0xDFDFDF, 0xC8C8C8), 0xDFDFDF);
}

TEST(OwnAddressCycle, walks_addresses_then_host_name_and_starts_over) {
    int reads = 0;
    OwnAddressCycle cycle(
        [&reads] {
            ++reads;
            return std::vector<std::string>{"a", "b"};
        },
        [] { return std::string{"host"}; });
    cycle.Reset();
    EXPECT_EQ(cycle.Next(), "a");
    cycle.Reset();
    for (const char* expected : {"a", "b", "host", "a", "b"}) {
        EXPECT_EQ(cycle.Next(), expected);
    }
    EXPECT_EQ(reads, 3) << "the list is read at reset and again after the host name";

    OwnAddressCycle lonely([] { return std::vector<std::string>{}; },
                           [] { return std::string{"lonely"}; });
    lonely.Reset();
    EXPECT_EQ(lonely.Next(), "lonely");
    EXPECT_EQ(lonely.Next(), "lonely");
}

}  // namespace
}  // namespace talvoro::app
