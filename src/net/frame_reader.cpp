#include "net/frame_reader.h"

#include <array>
#include <string>
#include <utility>

#include "app/event_log.h"
#include "net/cipher.h"
#include "net/message_kind.h"

namespace talvoro::net {

namespace {

constexpr std::size_t kLengthSize = 2;
constexpr std::size_t kKindOffset = 3;

// Deciphers the first header bytes of a frame that starts at `bytes[0]`.
template <std::size_t N>
std::array<std::uint8_t, N> DecipherHead(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, N> head{};
    for (std::size_t n = 0; n < N; ++n) {
        head[n] = bytes[n];
    }
    CipherFrame(head);
    return head;
}

}  // namespace

std::string_view OutOfBoundsMessage(FrameRole role) {
    switch (role) {
        case FrameRole::Server:
            return "SERVER: Message length is out of bounds!";
        case FrameRole::FileServer:
            return "File-SERVER: Message length is out of bounds!";
        case FrameRole::Client:
            break;
    }
    return "CLIENT: Message length is out of bounds!";
}

FrameReader::FrameReader(FrameRole role, app::EventLog* log) : role_(role), log_(log) {}

void FrameReader::Reset() {
    pending_.clear();
}

FrameReader::ReadResult FrameReader::Read(std::span<const std::uint8_t> bytes) {
    ReadResult result;
    if (pending_.empty()) {
        const std::size_t used = Cut(bytes, result);
        pending_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(used), bytes.end());
    } else {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        const std::size_t used = Cut(pending_, result);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    }
    return result;
}

std::size_t FrameReader::Cut(std::span<const std::uint8_t> bytes, ReadResult& result) {
    std::size_t position = 0;
    while (bytes.size() - position >= kLengthSize) {
        const auto rest = bytes.subspan(position);
        const auto head = DecipherHead<kLengthSize>(rest);
        const std::size_t length = head[0] | static_cast<std::size_t>(head[1]) << 8U;
        if (length < kMinFrameSize || length > kMaxFrameSize) {
            LogOutOfBounds();
            result.lengthError = true;
            return bytes.size();
        }
        if (length > rest.size()) {
            if (rest.size() > kKindOffset &&
                !IsMessageKind(DecipherHead<kKindOffset + 1>(rest)[kKindOffset])) {
                LogOutOfBounds();
                result.lengthError = true;
                return bytes.size();
            }
            break;  // a plausible partial frame: wait for the rest
        }
        result.frames.push_back(Decode(rest.first(length)));
        position += length;
    }
    return position;
}

Frame FrameReader::Decode(std::span<const std::uint8_t> enciphered) {
    // Decipher the whole frame in the string that then keeps the payload after the kind byte.
    std::string bytes(reinterpret_cast<const char*>(enciphered.data()), enciphered.size());
    CipherFrame({reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()});

    Frame result;
    result.topic = static_cast<std::int8_t>(bytes[2]);
    result.kind = static_cast<std::uint8_t>(bytes[kKindOffset]);
    bytes.erase(0, kKindOffset + 1);
    result.raw = std::move(bytes);
    return result;
}

void FrameReader::LogOutOfBounds() const {
    if (log_ != nullptr) {
        log_->LogEvent(true, OutOfBoundsMessage(role_));
    }
}

}  // namespace talvoro::net
