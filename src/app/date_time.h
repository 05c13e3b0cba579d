#pragma once
// Date values and their text forms. A date value is a signed 32-bit count of seconds since
// 1970-01-01 00:00:00 of the local wall clock: local time taken as if it were universal time, with
// no zone attached. Logon times and topic spawn times travel on the wire in this form.
// All functions are pure (except NowDateValue, which reads the clock) and safe on any thread.

#include <cstdint>
#include <string>
#include <string_view>

namespace talvoro::app {

// The current local date and time as a date value. Dates past 2038 wrap like a 32-bit counter.
std::int32_t NowDateValue();

// Writes `dateValue` through `mask`: "%yyyy" year (four digits), "%yy" its last two digits, "%mm"
// month, "%dd" day, "%hh" hour 00..23, "%ii" minutes, "%ss" seconds; two-digit fields carry a
// leading zero. Tokens are recognised without regard to case; a "%" that starts no token and every
// other character are copied. Negative values are dates before 1970.
std::string FormatDate(std::int32_t dateValue, std::string_view mask);

// A version number as four dot-separated digits: 1600 -> "1.6.0.0", 1550 -> "1.5.5.0". Numbers
// below 1000 count as 1000; of longer numbers the first three and the last digit are used.
std::string FormatVersion(int n);

}  // namespace talvoro::app
