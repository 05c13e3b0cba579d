#include "app/os_name.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <array>

namespace talvoro::app {

std::string OsName() {
    utsname info{};
    if (::uname(&info) != 0) {
        return "Unknown";
    }
    return std::string(info.sysname) + " " + info.release;
}

std::string LocalHostName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return std::string(name.data());
}

}  // namespace talvoro::app
