#include "chat/user_details.h"

#include <cstdio>

#include "app/date_time.h"

namespace talvoro::chat {

std::string UserDetailsTitle(const OnlineUser& user) {
    return "User Detail: " + user.name;
}

std::string UserDetailsText(const OnlineUser& user, bool noFileReceive) {
    const auto color = static_cast<std::uint32_t>(user.color);
    char rgb[16];
    std::snprintf(rgb, sizeof rgb, "%03u %03u %03u ", color & 0xFFU, (color >> 8U) & 0xFFU,
                  (color >> 16U) & 0xFFU);
    std::string text = "Network ID: #" + std::to_string(user.id);
    text += "\nIP Address: " + user.address;
    text += "\nLogon: " + app::FormatDate(user.logonTime, "%dd-%mm-%yy %hh:%ii:%ss");
    text += "\nRGB Color: ";
    text += rgb;
    text += "\nFile Receive: ";
    text += noFileReceive ? "Disabled" : "Allowed";
    text += "\nClient Version: " + app::FormatVersion(user.version);
    return text;
}

}  // namespace talvoro::chat
