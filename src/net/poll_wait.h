#pragma once
// Bounded waiting on one descriptor, shared by the send and receive paths of the transport.

namespace talvoro::net {

// Blocks the calling thread until `fd` reports one of `events` (POLLIN, POLLOUT), hangs up or
// fails, or `timeoutMs` has passed. Returns true when the descriptor is ready or in error (the next
// call on it tells which), false on timeout or when poll itself fails. A signal does not shorten
// the wait: it resumes with the time left. timeoutMs < 0 waits without limit.
bool WaitReady(int fd, short events, int timeoutMs);

}  // namespace talvoro::net
