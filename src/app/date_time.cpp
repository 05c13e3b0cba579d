#include "app/date_time.h"

#include <chrono>
#include <ctime>

namespace talvoro::app {

namespace {

struct CivilTime {
    int year = 1970;
    unsigned month = 1;
    unsigned day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

CivilTime ToCivil(std::int32_t dateValue) {
    using namespace std::chrono;
    const sys_seconds at{seconds{dateValue}};
    const sys_days day = floor<days>(at);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> clock{at - day};
    return CivilTime{static_cast<int>(ymd.year()),
                     static_cast<unsigned>(ymd.month()),
                     static_cast<unsigned>(ymd.day()),
                     static_cast<int>(clock.hours().count()),
                     static_cast<int>(clock.minutes().count()),
                     static_cast<int>(clock.seconds().count())};
}

void AppendPadded(std::string& out, long value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0) {
        out += '-';
    }
    if (static_cast<int>(digits.size()) < width) {
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    }
    out += digits;
}

bool StartsWithToken(std::string_view text, std::string_view token) {
    if (text.size() < token.size()) {
        return false;
    }
    for (std::size_t i = 0; i < token.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != token[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::int32_t NowDateValue() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return static_cast<std::int32_t>(now);
    }
    // tm_gmtoff is the zone offset in force at that moment, daylight saving included.
    const std::int64_t wall = static_cast<std::int64_t>(now) + local.tm_gmtoff;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wall));
}

std::string FormatDate(std::int32_t dateValue, std::string_view mask) {
    const CivilTime t = ToCivil(dateValue);
    struct Token {
        std::string_view text;
        long value;
        int width;
    };
    // "%yyyy" comes before "%yy" so that the longer token wins.
    const Token tokens[] = {{"%yyyy", t.year, 4}, {"%yy", ((t.year % 100) + 100) % 100, 2},
                            {"%mm", t.month, 2},  {"%dd", t.day, 2},
                            {"%hh", t.hour, 2},   {"%ii", t.minute, 2},
                            {"%ss", t.second, 2}};
    std::string out;
    out.reserve(mask.size() + 8);
    std::size_t i = 0;
    while (i < mask.size()) {
        const Token* match = nullptr;
        if (mask[i] == '%') {
            for (const Token& token : tokens) {
                if (StartsWithToken(mask.substr(i), token.text)) {
                    match = &token;
                    break;
                }
            }
        }
        if (match == nullptr) {
            out += mask[i];
            ++i;
            continue;
        }
        AppendPadded(out, match->value, match->width);
        i += match->text.size();
    }
    return out;
}

std::string FormatVersion(int n) {
    if (n < 1000) {
        n = 1000;
    }
    const std::string digits = std::to_string(n);
    return std::string{digits[0], '.', digits[1], '.', digits[2], '.', digits.back()};
}

}  // namespace talvoro::app
