#include "net/file_block.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "net/connection.h"
#include "net/poll_wait.h"

namespace talvoro::net {
namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

constexpr int kChunkSendTimeoutMs = 5000;

std::array<std::uint8_t, kFileBlockHeaderSize> EncodeHeader(std::uint32_t length) {
    std::array<std::uint8_t, kFileBlockHeaderSize> header{};
    std::copy(kFileBlockTag.begin(), kFileBlockTag.end(), header.begin());
    for (std::size_t i = 0; i < 4; ++i) {
        header[8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    return header;
}

bool StreamFileOut(int fd, std::FILE* file, std::uint32_t length) {
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(length, kFileBlockChunkSize));
    std::size_t remaining = length;
    while (remaining > 0) {
        const std::size_t want = std::min(remaining, chunk.size());
        const std::size_t got = std::fread(chunk.data(), 1, want, file);
        if (got == 0) {
            return false;  // shorter than announced: the peer will see the block cut off
        }
        if (!NetSend(fd, std::span(chunk).first(got), kChunkSendTimeoutMs)) {
            return false;
        }
        remaining -= got;
    }
    return true;
}

bool StreamFileIn(int fd, std::FILE* file, std::uint32_t length, int idleTimeoutMs) {
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(length, kFileBlockChunkSize));
    std::size_t remaining = length;
    while (remaining > 0) {
        const auto want = std::span(chunk).first(std::min(remaining, chunk.size()));
        const long n = ReceiveSome(fd, want, idleTimeoutMs);
        if (n <= 0) {
            return false;
        }
        const auto got = static_cast<std::size_t>(n);
        if (std::fwrite(chunk.data(), 1, got, file) != got) {
            return false;
        }
        remaining -= got;
    }
    return true;
}

}  // namespace

bool StartsWithFileBlockTag(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kFileBlockTag.size() &&
           std::equal(kFileBlockTag.begin(), kFileBlockTag.end(), bytes.begin());
}

long ReceiveSome(int fd, std::span<std::uint8_t> buffer, int idleTimeoutMs) {
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitReady(fd, POLLIN, idleTimeoutMs)) {
            return -1;
        }
    }
}

std::optional<std::uint32_t> ReceiveFileBlockHeader(int fd, int idleTimeoutMs) {
    std::array<std::uint8_t, kFileBlockHeaderSize> header{};
    std::span<std::uint8_t> rest(header);
    while (!rest.empty()) {
        const long n = ReceiveSome(fd, rest, idleTimeoutMs);
        if (n <= 0) {
            return std::nullopt;
        }
        rest = rest.subspan(static_cast<std::size_t>(n));
    }
    if (!StartsWithFileBlockTag(header)) {
        return std::nullopt;
    }
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= static_cast<std::uint32_t>(header[8 + i]) << (8 * i);
    }
    return length;
}

bool NetSendFile(int fd, const std::string& path) {
    const File file(std::fopen(path.c_str(), "rbe"));
    struct stat info {};
    if (!file || ::fstat(::fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    const auto length = static_cast<std::uint32_t>(info.st_size);
    const auto header = EncodeHeader(length);
    return NetSend(fd, header, kChunkSendTimeoutMs) && StreamFileOut(fd, file.get(), length);
}

bool NetReceiveFile(int fd, const std::string& path, int idleTimeoutMs) {
    const int idle = std::max(idleTimeoutMs, 0);
    File file(std::fopen(path.c_str(), "wbe"));
    if (!file) {
        return false;
    }
    const std::optional<std::uint32_t> length = ReceiveFileBlockHeader(fd, idle);
    if (!length || !StreamFileIn(fd, file.get(), *length, idle)) {
        return false;
    }
    return std::fclose(file.release()) == 0;
}

}  // namespace talvoro::net
