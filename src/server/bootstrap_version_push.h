#pragma once
// The version push: an outdated client gets this program over a connection to its file server,
// then NewVersion on its chat connection, which is closed; a client whose file server is off or
// cannot be reached is refused as "way too old" instead.
//
// Threads: runs on a task thread of its own (bootstrap_tasks.h).

#include <stop_token>
#include <string_view>

#include "server/bootstrap_tasks.h"

namespace talvoro::server {

// The name the pushed program travels under; the client recognises it as an update.
inline constexpr std::string_view kUpdateFileName = "_#_Talvoro_Upd.exe";

// Pushes the program to the client of `request`, or refuses it. Returns early, without a
// further request, when `stop` is requested.
void RunVersionPush(const VersionPushRequest& request, const BootstrapConfig& config,
                    BootstrapPort& port, const std::stop_token& stop);

}  // namespace talvoro::server
