#pragma once
// Text conventions inside payloads: fields separated by the kind byte, lenient decimal numbers.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/number_text.h"

namespace talvoro::net {

// Field k (from 1) of `text` split at `separator`: the text between the (k-1)th and the kth
// separator, the start and end of the text counting as boundaries. A missing field is empty.
std::string_view Field(std::string_view text, char separator, int k);

// Field k and everything after it, separators included. Used for the last field of a chat payload
// so that a message containing the separator byte is kept whole.
std::string_view FieldsFrom(std::string_view text, char separator, int k);

// Lenient decimal reading of numbers inside payloads.
using app::ReadNumber;

// Signed decimal text without leading zeros.
std::string NumberText(std::int64_t value);

}  // namespace talvoro::net
