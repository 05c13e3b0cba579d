#pragma once
// The network transport in one include: the listening socket, connections, file blocks and host
// addresses, plus the process-wide set-up they need.

#include "net/connection.h"
#include "net/file_block.h"
#include "net/host_info.h"
#include "net/listener.h"
#include "net/socket.h"

namespace talvoro::net {

// Makes the process ignore SIGPIPE, so that writing to a closed connection is an error result and
// never ends the process (sends use MSG_NOSIGNAL as well). Call once at start-up, before any thread
// is started. Returns false only if the signal disposition cannot be changed.
bool NetInit();

}  // namespace talvoro::net
