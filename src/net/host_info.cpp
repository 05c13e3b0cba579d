#include "net/host_info.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace talvoro::net {
namespace {

constexpr std::size_t kMaxHostName = 1024;

struct IfAddrsFree {
    void operator()(ifaddrs* list) const { ::freeifaddrs(list); }
};

// The value whose low byte is the first octet, independent of the machine's byte order.
std::uint32_t AddressValue(const in_addr& address) {
    std::array<std::uint8_t, 4> octets{};
    std::memcpy(octets.data(), &address.s_addr, octets.size());
    return static_cast<std::uint32_t>(octets[0]) | static_cast<std::uint32_t>(octets[1]) << 8 |
           static_cast<std::uint32_t>(octets[2]) << 16 |
           static_cast<std::uint32_t>(octets[3]) << 24;
}

bool IsLoopback(std::uint32_t address) {
    return (address & 0xFFu) == 127;
}

in_addr Ipv4Of(const sockaddr* address) {
    sockaddr_in inet{};
    std::memcpy(&inet, address, sizeof inet);
    return inet.sin_addr;
}

}  // namespace

std::string NetHostName() {
    std::array<char, kMaxHostName + 1> name{};
    if (::gethostname(name.data(), kMaxHostName) != 0) {
        return {};
    }
    return std::string(name.data(), ::strnlen(name.data(), kMaxHostName));
}

std::vector<std::uint32_t> NetHostAddresses() {
    ifaddrs* found = nullptr;
    if (::getifaddrs(&found) != 0) {
        return {};
    }
    const std::unique_ptr<ifaddrs, IfAddrsFree> list(found);
    std::vector<std::uint32_t> addresses;
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        const std::uint32_t address = AddressValue(Ipv4Of(entry->ifa_addr));
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            addresses.push_back(address);
        }
    }
    std::stable_partition(addresses.begin(), addresses.end(),
                          [](std::uint32_t address) { return !IsLoopback(address); });
    return addresses;
}

std::string NetAddressString(std::uint32_t address) {
    std::string text;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            text += '.';
        }
        text += std::to_string((address >> (8 * octet)) & 0xFFu);
    }
    return text;
}

std::string NetPeerAddress(int fd) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.ss_family != AF_INET) {
        return {};
    }
    return NetAddressString(AddressValue(Ipv4Of(reinterpret_cast<const sockaddr*>(&peer))));
}

}  // namespace talvoro::net
