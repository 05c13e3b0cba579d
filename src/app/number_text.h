#pragma once
// Lenient reading of decimal text, shared by payload fields and the INI reader.

#include <cstdint>
#include <string_view>

namespace talvoro::app {

// Leading blanks skipped, optional "-" or "+", then digits up to the first non-digit; no digits
// gives 0. Overlong digit runs wrap like a 32-bit counter instead of failing.
std::int32_t ReadNumber(std::string_view text);

}  // namespace talvoro::app
