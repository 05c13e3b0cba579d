#include "net/cipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace talvoro::net {
namespace {

std::vector<std::uint8_t> FromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t n = 0; n + 1 < hex.size();) {
        if (hex[n] == ' ') {
            ++n;
            continue;
        }
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(n, 2)), nullptr, 16)));
        n += 2;
    }
    return bytes;
}

std::vector<std::uint8_t> Keystream(std::span<const std::uint8_t> key, std::size_t size) {
    std::vector<std::uint8_t> stream(size, 0);
    Rc4 cipher(key);
    cipher.Apply(stream);
    return stream;
}

struct KnownBlock {
    std::size_t offset;
    std::string_view hex;
};

struct KnownKey {
    std::string_view key;
    std::vector<KnownBlock> blocks;
};

// Published RC4 keystream test vectors (16 bytes at each offset).
const std::vector<KnownKey>& KnownKeys() {
    static const std::vector<KnownKey> keys = {
        {"0102030405",
         {{0, "b2 39 63 05 f0 3d c0 27 cc c3 52 4a 0a 11 18 a8"},
          {16, "69 82 94 4f 18 fc 82 d5 89 c4 03 a4 7a 0d 09 19"},
          {240, "28 cb 11 32 c9 6c e2 86 42 1d ca ad b8 b6 9e ae"},
          {256, "1c fc f6 2b 03 ed db 64 1d 77 df cf 7f 8d 8c 93"},
          {496, "42 b7 d0 cd d9 18 a8 a3 3d d5 17 81 c8 1f 40 41"},
          {512, "64 59 84 44 32 a7 da 92 3c fb 3e b4 98 06 61 f6"},
          {1520, "32 94 f7 44 d8 f9 79 05 07 e7 0f 62 e5 bb ce ea"},
          {1536, "d8 72 9d b4 18 82 25 9b ee 4f 82 53 25 f5 a1 30"},
          {3072, "ec 0e 11 c4 79 dc 32 9d c8 da 79 68 fe 96 56 81"},
          {4080, "06 83 26 a2 11 84 16 d2 1f 9d 04 b2 cd 1c a0 50"},
          {4096, "ff 25 b5 89 95 99 67 07 e5 1f bd f0 8b 34 d8 75"}}},
        {"0102030405060708",
         {{0, "97 ab 8a 1b f0 af b9 61 32 f2 f6 72 58 da 15 a8"},
          {16, "82 63 ef db 45 c4 a1 86 84 ef 87 e6 b1 9e 5b 09"},
          {240, "96 36 eb c9 84 19 26 f4 f7 d1 f3 62 bd df 6e 18"},
          {256, "d0 a9 90 ff 2c 05 fe f5 b9 03 73 c9 ff 4b 87 0a"},
          {496, "73 23 9f 1d b7 f4 1d 80 b6 43 c0 c5 25 18 ec 63"},
          {512, "16 3b 31 99 23 a6 bd b4 52 7c 62 61 26 70 3c 0f"},
          {1520, "1f e8 98 67 13 f0 7c 3d 9a e1 c1 63 ff 8c f9 d3"},
          {1536, "83 69 e1 a9 65 61 0b e8 87 fb d0 c7 91 62 aa fb"},
          {3072, "bc 76 83 20 5d 4f 44 3d c1 f2 9d da 33 15 c8 7b"},
          {4080, "d5 fa 5a 34 69 d2 9a aa f8 3d 23 58 9d b8 c8 5b"},
          {4096, "3f b4 6e 2c 8f 0f 06 8e dc e8 cd cd 7d fc 58 62"}}},
        {"0102030405060708090a0b0c0d0e0f10",
         {{0, "9a c7 cc 9a 60 9d 1e f7 b2 93 28 99 cd e4 1b 97"},
          {16, "52 48 c4 95 90 14 12 6a 6e 8a 84 f1 1d 1a 9e 1c"},
          {240, "06 59 02 e4 b6 20 f6 cc 36 c8 58 9f 66 43 2f 2b"},
          {256, "d3 9d 56 6b c6 bc e3 01 07 68 15 15 49 f3 87 3f"},
          {496, "b6 d1 e6 c4 a5 e4 77 1c ad 79 53 8d f2 95 fb 11"},
          {512, "c6 8c 1d 5c 55 9a 97 41 23 df 1d bc 52 a4 3b 89"},
          {1520, "b4 01 10 c4 19 0b 56 22 a9 61 16 b0 01 7e d2 97"},
          {1536, "ff a0 b5 14 64 7e c0 4f 63 06 b8 92 ae 66 11 81"},
          {3072, "c0 5d 88 ab d5 03 57 f9 35 a6 3c 59 ee 53 76 23"},
          {4080, "ff 38 26 5c 16 42 c1 ab e8 d3 c2 fe 5e 57 2b f8"},
          {4096, "a3 6a 4c 30 1a e8 ac 13 61 0c cb c1 22 56 ca cc"}}},
    };
    return keys;
}

TEST(Rc4, produces_the_published_keystream_for_40_64_and_128_bit_keys) {
    for (const KnownKey& known : KnownKeys()) {
        const auto stream = Keystream(FromHex(known.key), 4096 + 16);
        for (const KnownBlock& block : known.blocks) {
            const std::vector<std::uint8_t> actual(stream.begin() + block.offset,
                                                   stream.begin() + block.offset + 16);
            EXPECT_EQ(actual, FromHex(block.hex)) << "key " << known.key << " at " << block.offset;
        }
    }
}

TEST(Rc4, continues_the_keystream_across_calls) {
    const auto key = FromHex("0102030405");
    const auto whole = Keystream(key, 1000);
    std::vector<std::uint8_t> pieces(1000, 0);
    Rc4 cipher(key);
    std::span<std::uint8_t> rest(pieces);
    for (std::size_t chunk : {1U, 7U, 256U, 300U}) {
        cipher.Apply(rest.first(chunk));
        rest = rest.subspan(chunk);
    }
    cipher.Apply(rest);
    EXPECT_EQ(pieces, whole);
}

TEST(Rc4, treats_an_empty_key_as_a_single_zero_byte) {
    const std::uint8_t zero[1] = {0};
    EXPECT_EQ(Keystream({}, 64), Keystream(zero, 64));
}

TEST(CipherFrame, equals_a_fresh_rc4_under_the_link_key_for_every_frame) {
    const std::span<const std::uint8_t> linkKey(
        reinterpret_cast<const std::uint8_t*>(kLinkKey.data()), kLinkKey.size());
    for (std::size_t size : {0U, 1U, 5U, 9U, 4095U, 4096U, 4097U, 6000U}) {
        std::vector<std::uint8_t> frame(size);
        for (std::size_t n = 0; n < size; ++n) {
            frame[n] = static_cast<std::uint8_t>(n * 31 + 7);
        }
        const auto plain = frame;
        auto expected = frame;
        Rc4(linkKey).Apply(expected);

        CipherFrame(frame);
        EXPECT_EQ(frame, expected) << "size " << size;
        CipherFrame(frame);
        EXPECT_EQ(frame, plain) << "deciphering restores the frame, size " << size;
    }
}

}  // namespace
}  // namespace talvoro::net
