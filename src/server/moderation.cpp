#include "server/moderation.h"

#include <algorithm>
#include <cctype>

#include "net/message_kind.h"
#include "net/text_fields.h"

namespace talvoro::server {

using net::MessageKind;

bool IsBanned(const ServerState& state, std::string_view address) {
    return !address.empty() &&
           std::find(state.banList.begin(), state.banList.end(), address) != state.banList.end();
}

std::string KickOrBan(ServerState& state, std::string_view name, std::string_view verb) {
    state.outbox.Add(action::ClearOperatorInput{});
    if (name == state.table.NameOf(state.operatorId)) {
        // "kick" -> "Kicking", "bann" -> "Banning".
        std::string doing(1, static_cast<char>(std::toupper(static_cast<unsigned char>(verb[0]))));
        doing += std::string(verb.substr(verb.size() - 3)) + "ing";
        state.outbox.Line(LineTarget::CurrentTab,
                          "** " + doing + " yourself looks a little bit strange :-)");
        return {};
    }
    const ConnectionId target = state.table.FindByName(name);
    if (target == 0) {
        state.outbox.Line(LineTarget::CurrentTab,
                          "** User " + std::string(name) + " not found, Sorry!");
        return {};
    }
    if (verb == "bann") {
        const std::string address = state.AddressOf(target);
        if (!address.empty() && !IsBanned(state, address)) {
            state.banList.push_back(address);
        }
    }
    state.SendToClient(target, std::string(1, net::KindChar(MessageKind::ServerNotice)) +
                                   "** You have been " + std::string(verb) + "ed from SERVER " +
                                   state.config.hostName);
    state.RemoveClient(target);
    const char k = net::KindChar(MessageKind::UserQuit);
    return std::string(1, k) + net::NumberText(target) + k + "** " + std::string(name) +
           " has been " + std::string(verb) + "ed from server";
}

}  // namespace talvoro::server
