#include "net/frame.h"

#include <span>

#include "net/cipher.h"

namespace talvoro::net {

std::optional<std::string> EncodeFrame(std::int8_t topic, std::string_view payload) {
    if (payload.size() < kMinPayloadSize || payload.size() > kMaxPayloadSize) {
        return std::nullopt;
    }
    const std::size_t length = payload.size() + kFrameHeaderSize;
    std::string frame;
    frame.reserve(length);
    frame.push_back(static_cast<char>(length & 0xFFU));
    frame.push_back(static_cast<char>(length >> 8U));
    frame.push_back(static_cast<char>(topic));
    frame.append(payload);
    CipherFrame({reinterpret_cast<std::uint8_t*>(frame.data()), frame.size()});
    return frame;
}

}  // namespace talvoro::net
