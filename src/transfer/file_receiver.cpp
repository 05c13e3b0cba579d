#include "transfer/file_receiver.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "net/file_block.h"
#include "net/poll_wait.h"
#include "transfer/file_io.h"
#include "transfer/received_name.h"

namespace talvoro::transfer {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

// One receive into `buffer`, waiting up to idleTimeoutMs for bytes: >0 bytes read, 0 when the
// peer closed, -1 on error or when the wait ran out.
long ReceiveSome(int fd, std::span<std::uint8_t> buffer, int idleTimeoutMs) {
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno != EAGAIN && errno != EWOULDBLOCK) ||
            !net::WaitReady(fd, POLLIN, idleTimeoutMs)) {
            return -1;
        }
    }
}

// Reads the 12-byte header; the announced length, or nothing when it is not a file block's.
std::optional<std::uint32_t> ReceiveHeader(int fd, int idleTimeoutMs) {
    std::array<std::uint8_t, net::kFileBlockHeaderSize> header{};
    std::span<std::uint8_t> rest(header);
    while (!rest.empty()) {
        const long n = ReceiveSome(fd, rest, idleTimeoutMs);
        if (n <= 0) {
            return std::nullopt;
        }
        rest = rest.subspan(static_cast<std::size_t>(n));
    }
    if (!net::StartsWithFileBlockTag(header)) {
        return std::nullopt;
    }
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= static_cast<std::uint32_t>(header[8 + i]) << (8 * i);
    }
    return length;
}

// Moves `length` bytes from the connection to `out` (or drops them when `out` is negative or a
// write fails, reading on so the connection stays in step). Returns the bytes that arrived;
// fewer than `length` when the sender stopped. `writeFailed` tells whether any write failed.
std::uint64_t Pump(int fd, int out, std::uint32_t length, int idleTimeoutMs, bool& writeFailed) {
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(length, kChunkSize));
    std::uint64_t arrived = 0;
    while (arrived < length) {
        const auto want = std::span(chunk).first(
            static_cast<std::size_t>(std::min<std::uint64_t>(length - arrived, chunk.size())));
        const long n = ReceiveSome(fd, want, idleTimeoutMs);
        if (n <= 0) {
            break;
        }
        if (out >= 0 && !writeFailed) {
            writeFailed = !WriteAll(out, want.first(static_cast<std::size_t>(n)));
        }
        arrived += static_cast<std::uint64_t>(n);
    }
    return arrived;
}

}  // namespace

ReceiveResult ReceiveFileBlock(int fd, const std::string& directory, const std::string& fileName,
                               const ReceiveLimits& limits) {
    const int idle = std::max(limits.idleTimeoutMs, 0);
    ReceiveResult result;
    const std::optional<std::uint32_t> length = ReceiveHeader(fd, idle);
    if (!length) {
        return result;
    }
    result.announced = *length;
    bool writeFailed = false;
    const bool acceptable = *length <= limits.maxBytes && IsPlainFileName(fileName);
    std::optional<TempFile> temp = acceptable ? TempFile::Create(directory) : std::nullopt;
    if (!temp) {
        Pump(fd, -1, *length, idle, writeFailed);
        result.outcome =
            *length > limits.maxBytes ? ReceiveOutcome::TooLarge : ReceiveOutcome::CannotWrite;
        return result;
    }
    result.received = Pump(fd, temp->fd(), *length, idle, writeFailed);
    const std::string path = directory + fileName;
    if (writeFailed || !temp->Commit(path)) {
        result.outcome = ReceiveOutcome::CannotWrite;
        return result;
    }
    result.path = path;
    result.outcome =
        result.received == *length ? ReceiveOutcome::Received : ReceiveOutcome::Partial;
    return result;
}

bool DiscardFileBlock(int fd, int idleTimeoutMs) {
    const int idle = std::max(idleTimeoutMs, 0);
    const std::optional<std::uint32_t> length = ReceiveHeader(fd, idle);
    bool unused = false;
    return length && Pump(fd, -1, *length, idle, unused) == *length;
}

}  // namespace talvoro::transfer
