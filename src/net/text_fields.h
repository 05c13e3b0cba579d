#pragma once
// Text conventions inside payloads: fields separated by the kind byte, lenient decimal numbers.

#include <cstdint>
#include <string>
#include <string_view>

namespace talvoro::net {

// Field k (from 1) of `text` split at `separator`: the text between the (k-1)th and the kth
// separator, the start and end of the text counting as boundaries. A missing field is empty.
std::string_view Field(std::string_view text, char separator, int k);

// Field k and everything after it, separators included. Used for the last field of a chat payload
// so that a message containing the separator byte is kept whole.
std::string_view FieldsFrom(std::string_view text, char separator, int k);

// Lenient decimal reading: leading blanks skipped, optional "-" or "+", then digits up to the first
// non-digit; no digits gives 0. Overlong digit runs wrap like a 32-bit counter instead of failing.
std::int32_t ReadNumber(std::string_view text);

// Signed decimal text without leading zeros.
std::string NumberText(std::int64_t value);

}  // namespace talvoro::net
