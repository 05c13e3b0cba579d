#pragma once
// The text conventions inside payloads, used only by the message types (net/messages_*.h): a
// payload is the kind character followed by fields joined by the kind character; a receiver reads
// the payload only up to its first 0 byte; the last field it asks for takes the rest, separators
// included, so a chat text that contains the separator byte is kept whole; numbers are signed
// decimal text, read leniently.
//
// Thread safety: pure functions and values; any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "net/message_kind.h"

namespace talvoro::net {

// K + f1 + K + f2 ... (just K without fields).
std::string JoinFields(MessageKind kind, std::initializer_list<std::string_view> fields);

// Signed decimal text without leading zeros.
std::string NumberText(std::int64_t value);

// The fields of a payload body (the bytes after the kind code): cut at the first 0 byte, then
// split at the kind character into at most `count` fields, the last of which takes the rest.
class PayloadFields {
  public:
    static constexpr std::size_t kMaxFields = 5;

    PayloadFields(std::string_view body, MessageKind kind, std::size_t count);

    // The body up to its first 0 byte.
    std::string_view Whole() const { return whole_; }
    // Field k, counted from 1; a missing field is empty.
    std::string_view Text(std::size_t k) const;
    // Field k read as a number: leading blanks, optional sign, digits; no digits gives 0.
    std::int32_t Number(std::size_t k) const;
    // Whether the body has field k at all.
    bool Has(std::size_t k) const { return k >= 1 && k <= present_; }

  private:
    std::string_view whole_;
    std::array<std::string_view, kMaxFields> fields_{};
    std::size_t present_ = 0;
};

// The body up to its first 0 byte.
std::string_view TextOf(std::string_view body);

}  // namespace talvoro::net
