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

Bytes Keystream(std::span<const std::uint8_t> key, std::size_t size) {
    Bytes stream(size, 0);
    Rc4(key).Apply(stream);
    return stream;
}

// The 16 keystream bytes from `offset` on, as lowercase hex.
std::string KeystreamHex(const Bytes& key, std::size_t offset) {
    const Bytes stream = Keystream(key, offset + 16);
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
    EXPECT_EQ(KeystreamHex(kKey40, 1520), "3294f744d8f9790507e70f62e5bbceea");
    EXPECT_EQ(KeystreamHex(kKey40, 4096), "ff25b58995996707e51fbdf08b34d875");
    EXPECT_EQ(KeystreamHex(kKey64, 0), "97ab8a1bf0afb96132f2f67258da15a8");
    EXPECT_EQ(KeystreamHex(kKey64, 240), "9636ebc9841926f4f7d1f362bddf6e18");
    EXPECT_EQ(KeystreamHex(kKey64, 4080), "d5fa5a3469d29aaaf83d23589db8c85b");
    EXPECT_EQ(KeystreamHex(kKey128, 0), "9ac7cc9a609d1ef7b2932899cde41b97");
    EXPECT_EQ(KeystreamHex(kKey128, 496), "b6d1e6c4a5e4771cad79538df295fb11");
    EXPECT_EQ(KeystreamHex(kKey128, 4096), "a36a4c301ae8ac13610ccbc12256cacc");
}

TEST(Rc4, continues_the_keystream_across_calls_and_takes_an_empty_key_as_one_zero_byte) {
    Bytes pieces(1000, 0);
    Rc4 cipher(kKey40);
    std::span<std::uint8_t> rest(pieces);
    for (std::size_t chunk : {1U, 7U, 256U, 300U}) {
        cipher.Apply(rest.first(chunk));
        rest = rest.subspan(chunk);
    }
    cipher.Apply(rest);
    EXPECT_EQ(pieces, Keystream(kKey40, 1000));
    EXPECT_EQ(Keystream({}, 64), Keystream(Bytes{0}, 64));
}

TEST(CipherFrame, equals_a_fresh_rc4_under_the_link_key_for_every_frame) {
    const Bytes linkKey(kLinkKey.begin(), kLinkKey.end());
    for (std::size_t size : {0U, 1U, 9U, 4096U, 4097U, 6000U}) {
        Bytes frame(size);
        for (std::size_t n = 0; n < size; ++n) {
            frame[n] = static_cast<std::uint8_t>(n * 31 + 7);
        }
        const Bytes plain = frame;
        Bytes expected = frame;
        Rc4(linkKey).Apply(expected);
        CipherFrame(frame);
        EXPECT_EQ(frame, expected) << "size " << size;
        CipherFrame(frame);
        EXPECT_EQ(frame, plain) << "deciphering restores the frame, size " << size;
    }
}

}  // namespace
}  // namespace talvoro::net
