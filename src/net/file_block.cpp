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

}  // namespace

bool StartsWithFileBlockTag(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kFileBlockTag.size() &&
           std::equal(kFileBlockTag.begin(), kFileBlockTag.end(), bytes.begin());
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

}  // namespace talvoro::net
