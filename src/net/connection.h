#pragma once
// One TCP connection seen from the thread that uses it: open it, ask whether something is waiting,
// receive, and send whole. Nothing here keeps state between calls; the connection is named by its
// descriptor. All functions are for the one thread that uses the connection at the time.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "net/socket.h"

namespace talvoro::net {

// Event codes of NetClientEvent.
inline constexpr int kNetNothing = 0;    // nothing is waiting
inline constexpr int kNetData = 2;       // bytes are waiting
inline constexpr int kNetFileBlock = 3;  // the waiting bytes start with the file block tag

// Resolves `host` (name or dotted IPv4 address) to its first IPv4 address and connects to `port`.
// The connect itself gives up after `timeoutMs`; name resolution is the system resolver's and is
// not bounded here. The returned socket is in blocking mode with TCP_NODELAY set. Returns an
// invalid Socket when the name does not resolve (an empty name included), the peer refuses, or
// the time runs out. `localAddress` (dotted IPv4) binds the own end first, so that tests can act
// as several hosts on one machine; null: the system chooses.
Socket NetOpenConnection(const std::string& host, std::uint16_t port, int timeoutMs = 10000,
                         const char* localAddress = nullptr);

// kNetNothing, kNetData or kNetFileBlock, never blocking. Fewer than 8 bytes waiting are always
// data; 8 or more are a file block when they start with "KWMGSFLE". A closed connection shows as
// nothing waiting (the caller notices it through failed sends or receives); so does a bad fd.
int NetClientEvent(int fd);

// One receive of up to buffer.size() bytes (a signal does not count as a receive). Returns the
// number of bytes read, 0 when the peer closed (or the buffer is empty), -1 on error with errno
// set; on a non-blocking socket with nothing waiting that is -1 with EAGAIN.
long NetReceive(int fd, std::span<std::uint8_t> buffer);

// Sends all of `data` or fails: short sends are continued, waiting for the peer to make room for
// at most `timeoutMs` in total (negative counts as 0). Never raises SIGPIPE. Works on blocking and
// non-blocking sockets alike. On false an unknown part of the data went out, so the connection's
// framing is lost and the caller should treat it as broken. Empty data is sent successfully.
bool NetSend(int fd, std::span<const std::uint8_t> data, int timeoutMs = 5000);
bool NetSend(int fd, std::string_view data, int timeoutMs = 5000);

}  // namespace talvoro::net
