#include "server/moderation.h"

#include <algorithm>
#include <cctype>

#include "net/messages.h"

namespace talvoro::server {

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
    const std::string done = std::string(verb) + "ed";
    state.SendToClient(target, net::ServerNotice{"** You have been " + done + " from SERVER " +
                                                 state.config.hostName}
                                   .Encode());
    state.RemoveClient(target);
    return net::UserQuit{target, "** " + std::string(name) + " has been " + done + " from server"}
        .Encode();
}

}  // namespace talvoro::server
