#include "net/cipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace talvoro::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kKey40 = {1, 2, 3, 4, 5};
const Bytes kKey64 = {1, 2, 3, 4, 5, 6, 7, 8};
const Bytes kKey128 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

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

TEST(Rc4, produces_the_published_keystream_for_40_64_and_128_bit_keys) {
    EXPECT_EQ(KeystreamHex(kKey40, 0), "b2396305f03dc027ccc3524a0a1118a8");
    EXPECT_EQ(KeystreamHex(kKey40, 4096), "ff25b58995996707e51fbdf08b34d875");
    EXPECT_EQ(KeystreamHex(kKey64, 0), "97ab8a1bf0afb96132f2f67258da15a8");
    EXPECT_EQ(KeystreamHex(kKey64, 4080), "d5fa5a3469d29aaaf83d23589db8c85b");
    EXPECT_EQ(KeystreamHex(kKey128, 0), "9ac7cc9a609d1ef7b2932899cde41b97");
    EXPECT_EQ(KeystreamHex(kKey128, 4096), "a36a4c301ae8ac13610ccbc12256cacc");
}

}  // namespace
}  // namespace talvoro::net
