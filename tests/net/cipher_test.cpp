#include "net/cipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace talvoro::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kKey64 = {1, 2, 3, 4, 5, 6, 7, 8};

// The 16 keystream bytes from `offset` on, as lowercase hex.
std::string KeystreamHex(const Bytes& key, std::size_t offset) {
    Bytes stream(offset + 16, 0);
    Rc4(key).Apply(stream);
    std::string hex;
    for (std::size_t n = offset; n < stream.size(); ++n) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", stream[n]);
        hex += pair;
    }
    return hex;
}

TEST(Rc4, produces_the_published_keystream_for_a_64_bit_key_like_the_frame_key) {
    EXPECT_EQ(KeystreamHex(kKey64, 0), "97ab8a1bf0afb96132f2f67258da15a8");
    EXPECT_EQ(KeystreamHex(kKey64, 4080), "d5fa5a3469d29aaaf83d23589db8c85b");
}

}  // namespace
}  // namespace talvoro::net
