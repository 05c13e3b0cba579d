#include "net/host_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace talvoro::net {
namespace {

TEST(NetAddressString, writes_the_low_byte_as_the_first_octet) {
    EXPECT_EQ(NetAddressString(0x0100007Fu), "127.0.0.1");
    EXPECT_EQ(NetAddressString(0x0403020Au), "10.2.3.4");
    EXPECT_EQ(NetAddressString(0), "0.0.0.0");
    EXPECT_EQ(NetAddressString(0xFFFFFFFFu), "255.255.255.255");
}

bool IsLoopback(std::uint32_t address) {
    return (address & 0xFFu) == 127;
}

TEST(NetHostAddresses, lists_each_address_once_with_loopback_last) {
    const std::vector<std::uint32_t> addresses = NetHostAddresses();
    ASSERT_FALSE(addresses.empty()) << "no interface with an IPv4 address is up";
    EXPECT_EQ(std::set(addresses.begin(), addresses.end()).size(), addresses.size());
    EXPECT_TRUE(std::is_partitioned(addresses.begin(), addresses.end(),
                                    [](std::uint32_t a) { return !IsLoopback(a); }));
}

TEST(NetHostName, names_this_machine) {
    const std::string name = NetHostName();
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 1024u);
}

}  // namespace
}  // namespace talvoro::net
