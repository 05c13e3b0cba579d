#include "net/codepage.h"

#include <array>
#include <cstdint>

namespace talvoro::net {

namespace {

// Code points of the bytes 0x80..0x9F; the bytes Windows-1252 leaves undefined keep their own
// value (C1 controls) so that they survive a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

constexpr char32_t CodePointOf(std::uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80U] : char32_t{byte};
}

constexpr std::array<char32_t, 256> kCodePoints = [] {
    std::array<char32_t, 256> table{};
    for (std::size_t n = 0; n < table.size(); ++n) {
        table[n] = CodePointOf(static_cast<std::uint8_t>(n));
    }
    return table;
}();

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {  // the table holds nothing above U+FFFF
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char Cp1252ByteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t n = 0; n < kHighControls.size(); ++n) {
        if (kHighControls[n] == cp) {
            return static_cast<char>(0x80 + n);
        }
    }
    return '?';
}

struct Decoded {
    bool valid = false;
    char32_t cp = 0;
};

// Decodes one UTF-8 sequence at `text[pos]`. Returns the code point, or nothing for a malformed
// sequence; `pos` moves past the sequence, or past its longest well-formed start (at least 1).
Decoded DecodeOne(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<std::uint8_t>(text[pos++]);
    if (lead < 0x80) {
        return {true, lead};
    }
    std::size_t more = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;  // allowed range of the second byte (no overlongs, no surrogates)
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        cp = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        cp = lead & 0x0FU;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        cp = lead & 0x07U;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {};
    }
    for (std::size_t n = 0; n < more; ++n) {
        if (pos >= text.size()) {
            return {};
        }
        const auto byte = static_cast<std::uint8_t>(text[pos]);
        if (byte < low || byte > high) {
            return {};
        }
        low = 0x80;
        high = 0xBF;
        cp = (cp << 6) | (byte & 0x3FU);
        ++pos;
    }
    return {true, cp};
}

}  // namespace

std::string Utf8FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        AppendUtf8(out, kCodePoints[static_cast<std::uint8_t>(c)]);
    }
    return out;
}

std::string Cp1252FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const Decoded decoded = DecodeOne(text, pos);
        out.push_back(decoded.valid ? Cp1252ByteOf(decoded.cp) : '?');
    }
    return out;
}

}  // namespace talvoro::net
