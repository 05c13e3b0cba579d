#include "app/logon_settings.h"

#include <gtest/gtest.h>

#include <set>

namespace talvoro::app {
namespace {

AnonymousNumberSource Fixed(int n) {
    return [n] { return n; };
}

TEST(LogonAlias, keeps_typed_alias_without_surrounding_blanks) {
    EXPECT_EQ(AliasOrAnonymous("  bob \t", Fixed(5)), "bob");
    EXPECT_EQ(AliasOrAnonymous("bob smith", Fixed(5)), "bob smith");
}

TEST(LogonAlias, empty_or_blank_alias_becomes_anonymous_with_number) {
    EXPECT_EQ(AliasOrAnonymous("", Fixed(517)), "Anonymous517");
    EXPECT_EQ(AliasOrAnonymous("    ", Fixed(0)), "Anonymous0");
    EXPECT_EQ(AliasOrAnonymous("\t", Fixed(1024)), "Anonymous1024");
}

TEST(LogonAlias, number_out_of_range_is_folded_into_0_to_1024) {
    EXPECT_EQ(AliasOrAnonymous("", Fixed(1025)), "Anonymous0");
    EXPECT_EQ(AliasOrAnonymous("", Fixed(-1)), "Anonymous1024");
    EXPECT_EQ(AliasOrAnonymous("", AnonymousNumberSource{}), "Anonymous0");
}

TEST(LogonAlias, random_source_stays_within_0_to_1024) {
    auto source = RandomAnonymousNumbers();
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int n = source();
        ASSERT_GE(n, 0);
        ASSERT_LE(n, kHighestAnonymousNumber);
        seen.insert(n);
    }
    EXPECT_GT(seen.size(), 100u) << "the source should not repeat one value";
}

TEST(LogonPort, leading_digits_are_read_and_large_values_cut_to_65535) {
    EXPECT_EQ(PortFromField("1805"), 1805);
    EXPECT_EQ(PortFromField("65535"), 65535);
    EXPECT_EQ(PortFromField("65536"), 65535);
    EXPECT_EQ(PortFromField("99999"), 65535);
    EXPECT_EQ(PortFromField("99999999999999999999"), 65535);
    EXPECT_EQ(PortFromField("80x"), 80);
}

TEST(LogonPort, field_without_digits_gives_zero) {
    EXPECT_EQ(PortFromField(""), 0);
    EXPECT_EQ(PortFromField("abc"), 0);
    EXPECT_EQ(PortFromField("0"), 0);
}

TEST(LogonFieldsApply, trims_alias_and_host_and_clamps_port) {
    Settings settings;
    ApplyLogonFields({"  alice  ", "  chat.local ", "99999"}, settings, Fixed(3));
    EXPECT_EQ(settings.UserName, "alice");
    EXPECT_EQ(settings.Host, "chat.local");
    EXPECT_EQ(settings.Port, 65535);
}

TEST(LogonFieldsApply, empty_alias_never_stays_empty) {
    Settings settings;
    ApplyLogonFields({"   ", "host", "1805"}, settings, Fixed(42));
    EXPECT_EQ(settings.UserName, "Anonymous42");
    EXPECT_EQ(settings.Port, 1805);
}

constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kBlack = 0x000000;

TEST(ContrastRule, white_on_white_becomes_black) {
    EXPECT_EQ(ApplyContrastRule(kWhite, kWhite), kBlack);
}

TEST(ContrastRule, mid_grey_on_white_is_kept) {
    EXPECT_EQ(ApplyContrastRule(0x808080, kWhite), 0x808080);
}

TEST(ContrastRule, colour_close_to_background_becomes_its_complement) {
    // Light grey 0xF0F0F0 on white: every channel within the band.
    EXPECT_EQ(ApplyContrastRule(0xF0F0F0, kWhite), 0x0F0F0F);
    // A near-black on black: 0.9 * 0 is not below 0, so black text on black is not "close"
    // by the rule (the band collapses); the colour stays as chosen.
    EXPECT_EQ(ApplyContrastRule(0x000000, kBlack), kBlack);
}

TEST(ContrastRule, one_channel_outside_the_band_keeps_the_colour) {
    EXPECT_EQ(ApplyContrastRule(0xFFFF00, kWhite), 0xFFFF00);  // red and green close, blue far
    EXPECT_EQ(ApplyContrastRule(0x00FFFF, kWhite), 0x00FFFF);  // red far
}

TEST(ContrastRule, red_compares_against_rounded_lower_edge) {
    // Background red 255: lower edge 0.9 * 255 = 229.5 (229.49999 in single precision) -> 229.
    // Red 230 is above the rounded edge; green and blue are identical to the background.
    EXPECT_EQ(ApplyContrastRule(0xFFFFE6, kWhite), 0x000019);
    // Red 229 is not above 229: the colour stays.
    EXPECT_EQ(ApplyContrastRule(0xFFFFE5, kWhite), 0xFFFFE5);
    // Background red 250: edge 225 exactly; 226 is inside, 225 not.
    EXPECT_EQ(ApplyContrastRule(0xFAFAE2, 0xFAFAFA), 0x05051D);
    EXPECT_EQ(ApplyContrastRule(0xFAFAE1, 0xFAFAFA), 0xFAFAE1);
}

TEST(ContrastRule, upper_edge_applies_when_text_is_brighter_than_background) {
    // Background 200: text 222 gives 0.9 * 222 = 199.8 < 200, inside; 223 gives 200.7, outside.
    EXPECT_EQ(ApplyContrastRule(0xDEDEDE, 0xC8C8C8), 0x212121);
    EXPECT_EQ(ApplyContrastRule(0xDFDFDF, 0xC8C8C8), 0xDFDFDF);
}

TEST(LogonKeyFilter, refuses_colon_and_square_brackets_only) {
    EXPECT_TRUE(IsRefusedLogonCharacter(':'));
    EXPECT_TRUE(IsRefusedLogonCharacter('['));
    EXPECT_TRUE(IsRefusedLogonCharacter(']'));
    for (char c : std::string_view{"abcXYZ09 .-_;{}()@"}) {
        EXPECT_FALSE(IsRefusedLogonCharacter(c)) << c;
    }
    EXPECT_EQ(WithoutRefusedCharacters("[bob]: hi"), "bob hi");
    EXPECT_EQ(WithoutRefusedCharacters("10.0.0.1"), "10.0.0.1");
}

TEST(OwnAddressCycle, walks_addresses_then_host_name_and_starts_over) {
    int reads = 0;
    OwnAddressCycle cycle(
        [&reads] {
            ++reads;
            return std::vector<std::string>{"10.0.0.5", "192.168.1.9"};
        },
        [] { return std::string{"workstation"}; });
    cycle.Reset();
    EXPECT_EQ(cycle.Next(), "10.0.0.5");
    EXPECT_EQ(cycle.Next(), "192.168.1.9");
    EXPECT_EQ(cycle.Next(), "workstation");
    EXPECT_EQ(cycle.Next(), "10.0.0.5");
    EXPECT_EQ(cycle.Next(), "192.168.1.9");
    EXPECT_EQ(cycle.Next(), "workstation");
    EXPECT_EQ(reads, 2) << "the list is read at reset and again after the host name";
}

TEST(OwnAddressCycle, reset_starts_again_at_the_first_address) {
    OwnAddressCycle cycle(
        [] {
            return std::vector<std::string>{"a", "b"};
        },
        [] { return std::string{"h"}; });
    cycle.Reset();
    EXPECT_EQ(cycle.Next(), "a");
    cycle.Reset();
    EXPECT_EQ(cycle.Next(), "a");
}

TEST(OwnAddressCycle, without_addresses_every_click_gives_the_host_name) {
    OwnAddressCycle cycle([] { return std::vector<std::string>{}; },
                          [] { return std::string{"lonely"}; });
    cycle.Reset();
    EXPECT_EQ(cycle.Next(), "lonely");
    EXPECT_EQ(cycle.Next(), "lonely");
}

}  // namespace
}  // namespace talvoro::app
