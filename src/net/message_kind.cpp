#include "net/message_kind.h"

#include <array>

namespace talvoro::net {

std::string_view KindName(std::uint8_t code) {
    static constexpr std::array<std::string_view, 17> kNames = {
        "AwayStatus",    "Refusal",      "FileReceiveStatus", "Heartbeat",  "UserRoster",
        "UserQuit",      "RejectNotice", "Whisper",           "BanCommand", "KickCommand",
        "PublicMessage", "ServerNotice", "FileHeader",        "Logon",      "TopicOpen",
        "TopicClose",    "NewVersion"};
    if (!IsMessageKind(code)) {
        return "Unknown";
    }
    return kNames[code - kFirstKindCode];
}

}  // namespace talvoro::net
