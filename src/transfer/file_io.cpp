#include "transfer/file_io.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

namespace talvoro::transfer {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::release() noexcept {
    return std::exchange(fd_, -1);
}

bool UniqueFd::reset() noexcept {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

UniqueFd OpenForReading(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

bool WriteAll(int fd, std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

long ReadSome(int fd, std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n >= 0 || errno != EINTR) {
            return static_cast<long>(n);
        }
    }
}

bool ReadExact(int fd, std::span<std::uint8_t> buffer) {
    while (!buffer.empty()) {
        const long n = ReadSome(fd, buffer);
        if (n <= 0) {
            return false;
        }
        buffer = buffer.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

CopyFault CopyExact(int from, int to, std::uint64_t count) {
    constexpr std::size_t kPieceSize = 64 * 1024;
    std::vector<std::uint8_t> piece(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, kPieceSize)));
    while (count > 0) {
        const auto want = std::span(piece).first(
            static_cast<std::size_t>(std::min<std::uint64_t>(count, piece.size())));
        if (!ReadExact(from, want)) {
            return CopyFault::Read;
        }
        if (!WriteAll(to, want)) {
            return CopyFault::Write;
        }
        count -= want.size();
    }
    return CopyFault::None;
}

std::optional<TempFile> TempFile::Create(const std::string& directory) {
    std::string path = directory + ".talvoro-part-XXXXXX";
    UniqueFd fd(::mkostemp(path.data(), O_CLOEXEC));
    if (!fd.valid()) {
        return std::nullopt;
    }
    return TempFile(std::move(fd), std::move(path));
}

TempFile::~TempFile() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
}

TempFile::TempFile(TempFile&& other) noexcept
    : fd_(std::move(other.fd_)), path_(std::exchange(other.path_, {})) {}

bool TempFile::Commit(const std::string& path, unsigned mode) {
    const bool ready = ::fchmod(fd_.get(), static_cast<mode_t>(mode)) == 0 && fd_.reset() &&
                       std::rename(path_.c_str(), path.c_str()) == 0;
    if (ready) {
        path_.clear();
    }
    return ready;
}

}  // namespace talvoro::transfer
