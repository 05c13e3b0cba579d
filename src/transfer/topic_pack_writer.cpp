#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <vector>

#include "transfer/topic_pack.h"

namespace talvoro::transfer {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

std::array<std::uint8_t, kPackEntryHeaderSize> EntryHeader(std::uint32_t unpacked,
                                                           std::uint32_t stored) {
    std::array<std::uint8_t, kPackEntryHeaderSize> header{};
    for (std::size_t i = 0; i < 4; ++i) {
        header[i] = static_cast<std::uint8_t>(unpacked >> (8 * i));
        header[4 + i] = static_cast<std::uint8_t>(stored >> (8 * i));
    }
    return header;
}

struct Deflater {
    z_stream stream{};
    bool ready = deflateInit(&stream, Z_DEFAULT_COMPRESSION) == Z_OK;
    ~Deflater() {
        if (ready) {
            deflateEnd(&stream);
        }
    }
    Deflater() = default;
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
};

enum class Compressed { Done, NotSmaller, Failed };

// Compresses `size` bytes of `source` into `pack` (at its current position). Stops as soon as the
// compressed form is not smaller than the raw bytes: such an entry is stored raw instead.
Compressed Compress(int source, int pack, std::uint32_t size, std::uint32_t& stored) {
    Deflater deflater;
    if (!deflater.ready) {
        return Compressed::Failed;
    }
    z_stream& zs = deflater.stream;
    std::vector<std::uint8_t> in(kChunkSize);
    std::vector<std::uint8_t> out(kChunkSize);
    std::uint64_t read = 0;
    stored = 0;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        const long n = ReadSome(source, in);
        if (n < 0 || (n == 0 && read < size) || read + static_cast<std::uint64_t>(n) > size) {
            return Compressed::Failed;  // the source changed while being packed
        }
        read += static_cast<std::uint64_t>(n);
        flush = read == size ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(n);
        do {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            deflate(&zs, flush);
            const std::size_t have = out.size() - zs.avail_out;
            if (stored + have >= size) {
                return Compressed::NotSmaller;
            }
            if (!WriteAll(pack, std::span(out).first(have))) {
                return Compressed::Failed;
            }
            stored += static_cast<std::uint32_t>(have);
        } while (zs.avail_out == 0);
    }
    return Compressed::Done;
}

}  // namespace

PackWriter::PackWriter(const std::string& packPath)
    : pack_(::open(packPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)),
      failed_(!pack_.valid()) {}

bool PackWriter::Add(const std::string& sourcePath) {
    if (failed_) {
        return false;
    }
    const UniqueFd source = OpenForReading(sourcePath);
    struct stat info {};
    failed_ = !source.valid() || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
              static_cast<std::uint64_t>(info.st_size) > kMaxPackEntrySize;
    if (failed_) {
        return false;
    }
    const auto size = static_cast<std::uint32_t>(info.st_size);
    failed_ =
        !(size > 0 ? AddCompressed(source.get(), size, end_) : AddRaw(source.get(), size, end_));
    return !failed_;
}

bool PackWriter::AddCompressed(int source, std::uint32_t size, std::uint64_t entryStart) {
    const auto dataStart = static_cast<off_t>(entryStart + kPackEntryHeaderSize);
    if (::lseek(pack_.get(), dataStart, SEEK_SET) != dataStart) {
        return false;
    }
    std::uint32_t stored = 0;
    switch (Compress(source, pack_.get(), size, stored)) {
        case Compressed::Failed:
            return false;
        case Compressed::NotSmaller:
            return ::lseek(source, 0, SEEK_SET) == 0 &&
                   ::ftruncate(pack_.get(), static_cast<off_t>(entryStart)) == 0 &&
                   AddRaw(source, size, entryStart);
        case Compressed::Done:
            break;
    }
    const auto header = EntryHeader(size, stored);
    if (::pwrite(pack_.get(), header.data(), header.size(), static_cast<off_t>(entryStart)) !=
        static_cast<ssize_t>(header.size())) {
        return false;
    }
    end_ = entryStart + kPackEntryHeaderSize + stored;
    return true;
}

bool PackWriter::AddRaw(int source, std::uint32_t size, std::uint64_t entryStart) {
    if (::lseek(pack_.get(), static_cast<off_t>(entryStart), SEEK_SET) !=
            static_cast<off_t>(entryStart) ||
        !WriteAll(pack_.get(), EntryHeader(size, size)) ||
        CopyExact(source, pack_.get(), size) != CopyFault::None) {
        return false;
    }
    end_ = entryStart + kPackEntryHeaderSize + size;
    return true;
}

bool PackWriter::Finish() {
    const bool closed = pack_.reset();
    return !failed_ && closed;
}

}  // namespace talvoro::transfer
