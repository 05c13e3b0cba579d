#include "server/inbound_stream.h"

#include <algorithm>
#include <array>

#include "app/event_log.h"
#include "net/cipher.h"
#include "net/file_block.h"
#include "net/message_kind.h"

namespace talvoro::server {

struct InboundStream::Unit {
    enum class Type { NeedMore, Frame, FileHeader, OutOfBounds };
    Type type = Type::NeedMore;
    std::uint32_t length = 0;  // frame length, or the file block's byte count
};

namespace {

// The first up-to-4 bytes of a frame deciphered: length (2), topic, kind.
std::array<std::uint8_t, 4> FrameHead(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, 4> head{};
    const std::size_t n = std::min(head.size(), bytes.size());
    std::copy_n(bytes.begin(), n, head.begin());
    net::CipherFrame(std::span(head).first(n));
    return head;
}

bool MayBeFileBlockTag(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), net::kFileBlockTag.size());
    return std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n),
                      net::kFileBlockTag.begin());
}

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8U) |
           (static_cast<std::uint32_t>(bytes[2]) << 16U) |
           (static_cast<std::uint32_t>(bytes[3]) << 24U);
}

}  // namespace

InboundStream::InboundStream(app::EventLog* log, net::FrameRole role)
    : reader_(role, log), log_(log), role_(role) {}

InboundStream::Unit InboundStream::NextUnit(std::span<const std::uint8_t> bytes) const {
    using Type = Unit::Type;
    if (bytes.size() < 2) {
        return {};
    }
    if (MayBeFileBlockTag(bytes)) {
        if (bytes.size() < net::kFileBlockHeaderSize) {
            return {};
        }
        return {Type::FileHeader, LittleEndian32(bytes.subspan(net::kFileBlockTag.size(), 4))};
    }
    const std::array<std::uint8_t, 4> head = FrameHead(bytes);
    const auto length = static_cast<std::int16_t>(head[0] | (head[1] << 8U));
    if (length < static_cast<std::int16_t>(net::kMinFrameSize) ||
        length > static_cast<std::int16_t>(net::kMaxFrameSize)) {
        return {Type::OutOfBounds};
    }
    if (static_cast<std::size_t>(length) > bytes.size()) {
        // Wait for the rest only when the frame looks like one once its kind byte is there.
        if (bytes.size() >= head.size() && !net::IsMessageKind(head[3])) {
            return {Type::OutOfBounds};
        }
        return {};
    }
    return {Type::Frame, static_cast<std::uint32_t>(length)};
}

void InboundStream::Feed(std::span<const std::uint8_t> bytes, Handler& handler) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::size_t used = 0;
    while (used < pending_.size()) {
        const auto rest = std::span<const std::uint8_t>(pending_).subspan(used);
        if (inFile_) {
            const auto n =
                static_cast<std::uint32_t>(std::min<std::size_t>(fileRemaining_, rest.size()));
            handler.OnFileBlockData(rest.first(n));
            used += n;
            fileRemaining_ -= n;
            if (fileRemaining_ == 0) {
                inFile_ = false;
                handler.OnFileBlockEnd();
            }
            continue;
        }
        const Unit unit = NextUnit(rest);
        if (unit.type == Unit::Type::NeedMore) {
            break;
        }
        if (unit.type == Unit::Type::OutOfBounds) {
            if (log_ != nullptr) {
                log_->LogEvent(true, net::OutOfBoundsMessage(role_));
            }
            used = pending_.size();
            break;
        }
        if (unit.type == Unit::Type::FileHeader) {
            used += net::kFileBlockHeaderSize;
            handler.OnFileBlockBegin(unit.length);
            inFile_ = unit.length > 0;
            fileRemaining_ = unit.length;
            if (!inFile_) {
                handler.OnFileBlockEnd();
            }
            continue;
        }
        for (const net::Frame& frame : reader_.Feed(rest.first(unit.length))) {
            handler.OnFrame(frame);
        }
        used += unit.length;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
}

}  // namespace talvoro::server
