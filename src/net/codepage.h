#pragma once
// Conversion between the 8-bit Windows-1252 text of the protocol and UTF-8 (used at the UI edge).
// Every byte round-trips: the five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 control code points of the same value, and back.
//
// Thread safety: pure functions, any thread.

#include <string>
#include <string_view>

namespace talvoro::net {

// Never fails: every byte has a code point.
std::string Utf8FromCp1252(std::string_view text);

// Characters without a Windows-1252 byte become "?"; so does each malformed UTF-8 sequence
// (overlong forms, surrogates, values above U+10FFFF, stray or missing continuation bytes).
std::string Cp1252FromUtf8(std::string_view text);

}  // namespace talvoro::net
