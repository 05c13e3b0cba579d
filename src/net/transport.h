#pragma once
// The server side of the network transport: one listening socket and a table of 254 client slots,
// polled for events without blocking, plus a wait that sleeps until something may have happened.
// This header also brings in the rest of the transport (connections, file blocks, host
// addresses), so that users of the transport include this one header.

#include <array>
#include <cstdint>

#include "net/connection.h"
#include "net/file_block.h"
#include "net/host_info.h"
#include "net/socket.h"

namespace talvoro::net {

inline constexpr int kClientSlots = 254;

// Makes the process ignore SIGPIPE, so that writing to a closed connection is an error result and
// never ends the process (sends use MSG_NOSIGNAL as well). Call once at start-up, before any thread
// is started. Returns false only if the signal disposition cannot be changed.
bool NetInit();

// Threads: one thread (the server loop) calls every member except Wake, which any thread may call.
// The transport owns the listening socket and every accepted connection; it closes them when
// asked to and when it is destroyed. A client is known above this layer by its descriptor.
class Transport {
  public:
    static constexpr int kClientSlots = net::kClientSlots;

    Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Listens on `port` (0: the system picks; see LocalPort) at `bindAddress` (dotted IPv4; null
    // means any address), non-blocking, SO_REUSEADDR, backlog 100. Returns the listening
    // descriptor (never 0), or 0 on any failure (bad address, port in use, no permission), in
    // which case the previous listening socket, if any, stays. On success it replaces (closes)
    // the previous one.
    int NetCreateServer(std::uint16_t port, const char* bindAddress = nullptr);

    // Port the listening socket is bound to; 0 when not listening.
    std::uint16_t LocalPort() const;

    // One event, never blocking: kNetConnected when a pending connection was accepted into the
    // lowest free slot (only while a slot is free: otherwise it waits in the listen queue, not
    // accepted, until one frees); else the first used slot from slot 0 up that has something:
    // kNetClosed when the peer closed, reset or aborted the connection (the slot is freed and the
    // descriptor closed before returning, so it is reported once), kNetFileBlock when 8 or more
    // bytes wait and start with "KWMGSFLE", kNetData when any other bytes wait (fewer than 8 are
    // always data); kNetNothing otherwise. Accepted connections are non-blocking with TCP_NODELAY.
    int NetServerEvent();

    // The descriptor the last reported event concerned; -1 before the first event. After
    // kNetClosed the descriptor is already closed: use it only to find the client's records.
    int NetEventClient() const { return eventClient_; }

    // Sleeps until the listening socket has a connection to accept (watched only while a slot is
    // free), a used slot has bytes or a hang-up, Wake was called, or `timeoutMs` passed (negative:
    // no limit). Returns true when something may be ready (callers then poll NetServerEvent until
    // it reports kNetNothing), false on timeout.
    bool WaitForActivity(int timeoutMs);

    // Any thread: makes the current or the next WaitForActivity return true at once.
    void Wake();

    // Closes a connection that occupies a slot and frees the slot, without an event. A descriptor
    // that is not in a slot is left alone: other connections are owned by their Socket.
    void NetCloseConnection(int fd);

    // Closes every used slot and the listening socket.
    void NetCloseServer();

    int ClientCount() const { return clientCount_; }

  private:
    bool AcceptPending();
    int ScanSlots();
    void FreeSlot(Socket& slot);

    Socket listener_;
    Socket wake_;
    std::array<Socket, kClientSlots> slots_;
    int clientCount_ = 0;
    int eventClient_ = -1;
};

}  // namespace talvoro::net
