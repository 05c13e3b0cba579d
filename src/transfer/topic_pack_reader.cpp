#include <sys/stat.h>
#include <zlib.h>

#include <array>
#include <vector>

#include "app/number_text.h"
#include "transfer/received_name.h"
#include "transfer/topic_pack.h"

namespace talvoro::transfer {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// Deflate never gets more than about 1032 bytes out of one stored byte; an entry that claims more
// cannot be genuine and is refused before anything is unpacked.
constexpr std::uint64_t kMaxRatio = 1032;
constexpr std::uint64_t kStreamOverhead = 64;

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t, 4> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return value;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

struct Inflater {
    z_stream stream{};
    bool ready = inflateInit(&stream) == Z_OK;
    ~Inflater() {
        if (ready) {
            inflateEnd(&stream);
        }
    }
    Inflater() = default;
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

}  // namespace

PackReader::PackReader(const std::string& packPath) : pack_(OpenForReading(packPath)) {
    struct stat info {};
    if (!pack_.valid() || ::fstat(pack_.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        stopped_ = PackStatus::CannotRead;
        return;
    }
    remaining_ = static_cast<std::uint64_t>(info.st_size);
}

PackStatus PackReader::Next(const std::string& destination) {
    if (stopped_) {
        return *stopped_;
    }
    if (remaining_ == 0) {
        return *(stopped_ = PackStatus::End);
    }
    std::array<std::uint8_t, kPackEntryHeaderSize> header{};
    if (remaining_ < header.size() || !ReadExact(pack_.get(), header)) {
        return *(stopped_ = PackStatus::Truncated);
    }
    remaining_ -= header.size();
    const std::uint32_t unpacked = ReadLittleEndian(std::span(header).first<4>());
    const std::uint32_t stored = ReadLittleEndian(std::span(header).last<4>());
    if (stored > remaining_) {
        return *(stopped_ = PackStatus::Truncated);
    }
    const bool compressed = stored != unpacked;
    if (unpacked > kMaxPackEntrySize || total_ + unpacked > kMaxPackTotalSize ||
        (compressed && unpacked > stored * kMaxRatio + kStreamOverhead)) {
        return *(stopped_ = PackStatus::TooLarge);
    }
    std::optional<TempFile> out = TempFile::Create(FolderOf(destination));
    if (!out) {
        return *(stopped_ = PackStatus::CannotWrite);
    }
    PackStatus status =
        compressed ? Inflate(out->fd(), unpacked, stored) : Unpack(out->fd(), unpacked);
    remaining_ -= stored;
    total_ += unpacked;
    if (status == PackStatus::Entry && !out->Commit(destination)) {
        status = PackStatus::CannotWrite;
    }
    if (status != PackStatus::Entry) {
        stopped_ = status;
    }
    return status;
}

PackStatus PackReader::Unpack(int out, std::uint32_t size) {
    switch (CopyExact(pack_.get(), out, size)) {
        case CopyFault::Read:
            return PackStatus::Truncated;  // the file shrank while being read
        case CopyFault::Write:
            return PackStatus::CannotWrite;
        case CopyFault::None:
            break;
    }
    return PackStatus::Entry;
}

PackStatus PackReader::Inflate(int out, std::uint32_t unpacked, std::uint32_t stored) {
    Inflater inflater;
    if (!inflater.ready) {
        return PackStatus::CannotWrite;
    }
    z_stream& zs = inflater.stream;
    std::vector<std::uint8_t> in(kChunkSize);
    std::vector<std::uint8_t> produced(kChunkSize);
    std::uint64_t inLeft = stored;
    std::uint64_t written = 0;
    for (;;) {
        if (zs.avail_in == 0 && inLeft > 0) {
            const auto take = std::span(in).first(std::min<std::uint64_t>(inLeft, in.size()));
            if (!ReadExact(pack_.get(), take)) {
                return PackStatus::Truncated;
            }
            inLeft -= take.size();
            zs.next_in = take.data();
            zs.avail_in = static_cast<uInt>(take.size());
        }
        zs.next_out = produced.data();
        zs.avail_out = static_cast<uInt>(produced.size());
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_STREAM_ERROR || rc == Z_MEM_ERROR) {
            return PackStatus::Corrupt;
        }
        const std::size_t have = produced.size() - zs.avail_out;
        // Never more than the header promised: a lying header cannot make this fill the disk.
        if (written + have > unpacked) {
            return PackStatus::SizeMismatch;
        }
        if (!WriteAll(out, std::span(produced).first(have))) {
            return PackStatus::CannotWrite;
        }
        written += have;
        if (rc == Z_STREAM_END) {
            break;
        }
        if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inLeft == 0) {
            return PackStatus::SizeMismatch;  // the stored bytes end inside the stream
        }
    }
    const bool exact = written == unpacked && zs.avail_in == 0 && inLeft == 0;
    return exact ? PackStatus::Entry : PackStatus::SizeMismatch;
}

std::vector<PackLine> ParsePackNames(std::string_view names, std::int32_t now) {
    std::vector<PackLine> lines;
    while (!names.empty()) {
        const std::size_t end = names.find('\n');
        std::string_view line = names.substr(0, end);
        names.remove_prefix(end == std::string_view::npos ? names.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(PackLine{app::ReadNumber(line), PlainFileName(line, now)});
    }
    return lines;
}

}  // namespace talvoro::transfer
