#include "transfer/file_receiver.h"

#include <algorithm>
#include <vector>

#include "net/file_block.h"
#include "transfer/file_io.h"
#include "transfer/received_name.h"

namespace talvoro::transfer {

namespace {

// Moves `length` bytes from the connection to `out` (or drops them when `out` is negative or a
// write fails, reading on so the connection stays in step). Returns the bytes that arrived;
// fewer than `length` when the sender stopped. `writeFailed` tells whether any write failed.
std::uint64_t Pump(int fd, int out, std::uint32_t length, int idleTimeoutMs, bool& writeFailed) {
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(length, net::kFileBlockChunkSize));
    std::uint64_t arrived = 0;
    while (arrived < length) {
        const auto want = std::span(chunk).first(
            static_cast<std::size_t>(std::min<std::uint64_t>(length - arrived, chunk.size())));
        const long n = net::ReceiveSome(fd, want, idleTimeoutMs);
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
    const std::optional<std::uint32_t> length = net::ReceiveFileBlockHeader(fd, idle);
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
    const std::optional<std::uint32_t> length = net::ReceiveFileBlockHeader(fd, idle);
    bool unused = false;
    return length && Pump(fd, -1, *length, idle, unused) == *length;
}

}  // namespace talvoro::transfer
