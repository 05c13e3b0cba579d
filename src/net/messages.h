#pragma once
// Every message kind as a typed value (one header per group) and the way from a received frame to
// such a value. These types are the only code that joins payload fields or cuts them apart.

#include <cstdint>
#include <optional>

#include "net/frame.h"
#include "net/message_kind.h"
#include "net/messages_chat.h"
#include "net/messages_session.h"
#include "net/messages_status.h"
#include "net/user_roster.h"

namespace talvoro::net {

// The frame's payload read as `Message`; nullopt when the frame is of another kind or the
// payload does not decode.
template <typename Message>
std::optional<Message> DecodeFrame(const Frame& frame) {
    if (frame.lengthError || frame.kind != static_cast<std::uint8_t>(Message::kKind)) {
        return std::nullopt;
    }
    return Message::Decode(frame.raw);
}

}  // namespace talvoro::net
