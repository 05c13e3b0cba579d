// Throughput of the wire protocol: frame encode + read, and the cipher.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/cipher.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/messages_chat.h"

namespace {

using talvoro::net::CipherFrame;
using talvoro::net::EncodeFrame;
using talvoro::net::FrameReader;
using talvoro::net::FrameRole;
using talvoro::net::kLinkKey;
using talvoro::net::Rc4;

// One public message of `range(0)` payload bytes per iteration: enciphered by EncodeFrame, then
// cut and deciphered by a server-role FrameReader.
void BM_FrameEncodeAndRead(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string payload =
        talvoro::net::PublicMessageToServer{std::string(size - 1, 'm')}.Encode();
    FrameReader reader(FrameRole::Server, nullptr);
    for (auto _ : state) {
        const auto wire = EncodeFrame(1, payload);
        const auto frames =
            reader.Feed({reinterpret_cast<const std::uint8_t*>(wire->data()), wire->size()});
        benchmark::DoNotOptimize(frames.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size + 3));
}
BENCHMARK(BM_FrameEncodeAndRead)->Arg(20)->Arg(980);

std::span<const std::uint8_t> LinkKey() {
    return {reinterpret_cast<const std::uint8_t*>(kLinkKey.data()), kLinkKey.size()};
}

// The plain stream cipher: one key schedule, then the keystream over a 4096-byte buffer.
void BM_Rc4Apply(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(4096, 0x5A);
    Rc4 cipher(LinkKey());
    for (auto _ : state) {
        cipher.Apply(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_Rc4Apply);

// What each frame would cost without the shared keystream prefix: key schedule + 4096 bytes.
void BM_Rc4FreshStatePerFrame(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(4096, 0x5A);
    for (auto _ : state) {
        Rc4(LinkKey()).Apply(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_Rc4FreshStatePerFrame);

// The frame cipher as used: XOR with the precomputed keystream prefix.
void BM_CipherFrame(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(4096, 0x5A);
    for (auto _ : state) {
        CipherFrame(buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_CipherFrame);

}  // namespace

BENCHMARK_MAIN();
