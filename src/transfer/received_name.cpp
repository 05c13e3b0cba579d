#include "transfer/received_name.h"

#include <algorithm>

#include "app/date_time.h"
#include "transfer/transfer_names.h"

namespace talvoro::transfer {

namespace {

constexpr std::size_t kMaxNameBytes = 255;  // the longest file name Linux file systems take

}  // namespace

std::string UnnamedFileName(std::int32_t now) {
    return "Unnamed" + app::FormatDate(now, "%yyyy%mm%dd-%hh%ii%ss") + ".xxx";
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.size() <= kMaxNameBytes &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string PlainFileName(std::string_view received, std::int32_t now) {
    received = received.substr(0, received.find('\0'));
    const std::size_t separator = received.find_last_of("/\\");
    if (separator != std::string_view::npos) {
        received.remove_prefix(separator + 1);
    }
    std::string name(received.substr(0, kMaxNameBytes));
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7f'; }, '_');
    return IsPlainFileName(name) ? name : UnnamedFileName(now);
}

std::string ReceivedFileName(std::string_view headerName, bool fromLoggedOnServer,
                             std::int32_t now) {
    std::string name = PlainFileName(headerName, now);
    if (name == kUpdateFileName && !fromLoggedOnServer) {
        return UnnamedFileName(now);
    }
    return name;
}

}  // namespace talvoro::transfer
