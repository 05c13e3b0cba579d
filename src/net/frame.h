#pragma once
// The frame of the chat protocol: a little-endian 16-bit length (the whole frame, these two bytes
// included), a signed topic byte (0 = main tab) and the payload, whose first byte is the kind code.
// The whole frame is enciphered (net/cipher.h). Every frame is between 5 and 4096 bytes long.
//
// Thread safety: all functions are pure and may be called from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/message_kind.h"

namespace talvoro::net {

constexpr std::size_t kFrameHeaderSize = 3;  // length (2) + topic (1)
constexpr std::size_t kMaxFrameSize = 4096;
constexpr std::size_t kMinFrameSize = 5;
constexpr std::size_t kMaxPayloadSize = kMaxFrameSize - kFrameHeaderSize;  // 4093
constexpr std::size_t kMinPayloadSize = kMinFrameSize - kFrameHeaderSize;  // kind + one byte

// One received frame, deciphered.
struct Frame {
    std::int8_t topic = 0;
    std::uint8_t kind = 0;
    // The payload bytes after the kind code, as received; the message types (net/messages.h)
    // read them.
    std::string raw;
    // Set only on the stand-in a client session hands on for a read that ended in an
    // out-of-bounds length: no kind, no payload; the client counts it and does nothing else.
    bool lengthError = false;

    bool operator==(const Frame&) const = default;
};

// The enciphered frame bytes for `payload` on tab `topic`, ready for one send. Returns nullopt
// for a payload that no receiver would accept: shorter than 2 bytes or longer than 4093 bytes.
std::optional<std::string> EncodeFrame(std::int8_t topic, std::string_view payload);

}  // namespace talvoro::net
