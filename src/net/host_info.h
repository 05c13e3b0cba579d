#pragma once
// Names and IPv4 addresses of this machine and of a connection's peer, as shown to the user.
//
// An IPv4 address travels between these functions as a 32-bit value whose low byte is the first
// octet: 127.0.0.1 is 0x0100007F. On a little-endian machine that is exactly in_addr::s_addr as it
// lies in memory (network byte order). Any thread may call these functions.

#include <cstdint>
#include <string>
#include <vector>

namespace talvoro::net {

// This machine's host name (at most 1024 characters); empty if the system cannot tell.
std::string NetHostName();

// This machine's IPv4 addresses on interfaces that are up, each once, in interface order with the
// loopback addresses (127.0.0.0/8) last, so that a machine without a network still has one.
// Empty if the interfaces cannot be listed.
std::vector<std::uint32_t> NetHostAddresses();

// Dotted decimal text of `address`, first octet first: 0x0100007F gives "127.0.0.1".
std::string NetAddressString(std::uint32_t address);

// Dotted decimal text of the IPv4 peer of the connection `fd`; empty when `fd` has no IPv4 peer.
std::string NetPeerAddress(int fd);

}  // namespace talvoro::net
