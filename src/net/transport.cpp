#include "net/transport.h"

#include <csignal>

namespace talvoro::net {

bool NetInit() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

}  // namespace talvoro::net
