#include "net/host_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace talvoro::net {
namespace {

TEST(HostInfo, writes_addresses_low_byte_first_and_lists_own_addresses_once_loopback_last) {
    EXPECT_EQ(NetAddressString(0x0100007Fu), "127.0.0.1");
    EXPECT_EQ(NetAddressString(0x0403020Au), "10.2.3.4");

    const std::vector<std::uint32_t> addresses = NetHostAddresses();
    ASSERT_FALSE(addresses.empty()) << "no interface with an IPv4 address is up";
    EXPECT_EQ(std::set(addresses.begin(), addresses.end()).size(), addresses.size());
    EXPECT_TRUE(std::is_partitioned(addresses.begin(), addresses.end(),
                                    [](std::uint32_t a) { return (a & 0xFFu) != 127; }));
    EXPECT_FALSE(NetHostName().empty());
}

}  // namespace
}  // namespace talvoro::net
