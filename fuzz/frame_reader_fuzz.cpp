// Fuzzes the frame reader in its three roles (server, file server, client).
//
// Input: a mode byte, four read sizes (two bytes each; 0 = all the rest), then the body.
// - Even mode: the body is a plaintext byte stream. It is enciphered frame by frame along the
//   lengths it declares (so the reader sees plausible headers, not only noise) and fed to one
//   reader per role in chunks. The three readers must read the same, and every frame must lie
//   within the size bounds.
// - Odd mode: the body is a list of frames (topic, length, payload) of known kinds. They are
//   encoded, joined and fed in chunks; exactly those frames must come out, in order.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "net/cipher.h"
#include "net/frame.h"
#include "net/frame_reader.h"

namespace {

using talvoro::fuzz::Check;
using talvoro::fuzz::FuzzInput;
using talvoro::net::Frame;
using talvoro::net::FrameReader;
using talvoro::net::FrameRole;
using Bytes = std::vector<std::uint8_t>;

// Cuts `wire` into reads whose sizes cycle through `sizes`; 0 stands for "all that is left".
std::vector<std::span<const std::uint8_t>> Chunks(const Bytes& wire,
                                                  const std::array<std::size_t, 4>& sizes) {
    std::vector<std::span<const std::uint8_t>> chunks;
    std::span<const std::uint8_t> rest(wire);
    for (std::size_t n = 0; !rest.empty(); ++n) {
        const std::size_t size = sizes[n % sizes.size()];
        const std::size_t take = size == 0 || size > rest.size() ? rest.size() : size;
        chunks.push_back(rest.first(take));
        rest = rest.subspan(take);
    }
    return chunks;
}

// Enciphers a plaintext stream piece by piece along the frame lengths it declares.
Bytes EncipherAlongLengths(std::span<const std::uint8_t> plain) {
    Bytes wire(plain.begin(), plain.end());
    std::size_t at = 0;
    while (at < wire.size()) {
        const std::size_t rest = wire.size() - at;
        std::size_t length = rest;
        if (rest >= 2) {
            const std::size_t declared = wire[at] | static_cast<std::size_t>(wire[at + 1]) << 8U;
            if (declared >= talvoro::net::kMinFrameSize &&
                declared <= talvoro::net::kMaxFrameSize && declared < rest) {
                length = declared;
            }
        }
        talvoro::net::CipherFrame(std::span(wire).subspan(at, length));
        at += length;
    }
    return wire;
}

// The three roles differ only in the message they log, so they must read alike.
void CheckRoles(const std::vector<std::span<const std::uint8_t>>& chunks) {
    FrameReader server(FrameRole::Server, nullptr);
    FrameReader fileServer(FrameRole::FileServer, nullptr);
    FrameReader client(FrameRole::Client, nullptr);
    std::size_t fed = 0;
    std::size_t handedOn = 0;
    for (const auto chunk : chunks) {
        fed += chunk.size();
        const auto s = server.Read(chunk);
        const auto f = fileServer.Read(chunk);
        const auto c = client.Read(chunk);
        Check(s.frames == c.frames && f.frames == c.frames && s.lengthError == c.lengthError &&
                  f.lengthError == c.lengthError,
              "roles read alike");
        for (const Frame& frame : c.frames) {
            const std::size_t length = frame.raw.size() + 4;
            Check(length >= talvoro::net::kMinFrameSize && length <= talvoro::net::kMaxFrameSize,
                  "frame length within bounds");
            Check(!frame.lengthError, "a frame read is never a length-error stand-in");
            handedOn += length;
        }
        Check(handedOn <= fed, "no more bytes handed on than fed");
    }
}

void CheckRoundTrip(FuzzInput& in, const std::array<std::size_t, 4>& sizes) {
    std::vector<Frame> sent;
    Bytes wire;
    while (!in.Empty()) {
        const auto topic = static_cast<std::int8_t>(in.Byte());
        const std::size_t size = 2 + in.Word() % (talvoro::net::kMaxPayloadSize - 1);
        std::string payload(talvoro::fuzz::Text(in.Take(size)));
        if (payload.size() < 2) {
            break;
        }
        // Only frames of known kinds are waited for when split, so only those must survive.
        payload[0] = static_cast<char>(talvoro::net::kFirstKindCode +
                                       static_cast<std::uint8_t>(payload[0]) % 17);
        const auto frame = talvoro::net::EncodeFrame(topic, payload);
        Check(frame.has_value(), "a payload of 2..4093 bytes is encoded");
        wire.insert(wire.end(), frame->begin(), frame->end());
        sent.push_back({topic, static_cast<std::uint8_t>(payload[0]), payload.substr(1)});
    }
    FrameReader reader(FrameRole::Client, nullptr);
    std::vector<Frame> received;
    for (const auto chunk : Chunks(wire, sizes)) {
        auto read = reader.Read(chunk);
        Check(!read.lengthError, "well-formed frames never give a length error");
        for (Frame& frame : read.frames) {
            received.push_back(std::move(frame));
        }
    }
    Check(received.size() == sent.size(), "every encoded frame is read back");
    for (std::size_t n = 0; n < sent.size(); ++n) {
        Check(received[n].topic == sent[n].topic && received[n].kind == sent[n].kind &&
                  received[n].raw == sent[n].raw,
              "frames come back whole and in order");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    std::array<std::size_t, 4> sizes{};
    for (std::size_t& chunk : sizes) {
        chunk = in.Word() % (2 * talvoro::net::kMaxFrameSize);
    }
    if (mode % 2 == 0) {
        const Bytes wire = EncipherAlongLengths(in.Rest());
        CheckRoles(Chunks(wire, sizes));
    } else {
        CheckRoundTrip(in, sizes);
    }
    return 0;
}
