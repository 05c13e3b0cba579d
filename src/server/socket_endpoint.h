#pragma once
// The two ends of a TCP connection as address text and port. Used to recognise the operator's
// own client: its local end, seen from the client side, is the peer end the server sees.
// Any thread; a bad descriptor or a non-IPv4 socket gives an empty address and port 0.

#include "server/client_table.h"

namespace talvoro::server {

PeerEndpoint PeerEndpointOf(int fd);
PeerEndpoint LocalEndpointOf(int fd);

}  // namespace talvoro::server
