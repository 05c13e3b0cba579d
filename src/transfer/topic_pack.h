#pragma once
// Topic-content packs: the saved contents of sticky topics, sent by the server to a client that
// has just joined as one received file. A pack is a row of entries, each an 8-byte header
// (unpacked size, stored size: unsigned 32-bit little-endian) and the stored bytes; an entry is
// stored raw when both sizes are equal and as a zlib stream otherwise. The entries' names travel
// in the file header, one line per entry, each line starting with the number of the topic view.
//
// Writer and reader stream through fixed buffers, so memory use does not grow with the pack. Each
// object is used by one thread at a time (the server's topic-content task, the file server).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/file_io.h"

namespace talvoro::transfer {

inline constexpr std::size_t kPackEntryHeaderSize = 8;
// Limits of what a reader unpacks and a writer packs. A saved topic is chat text; these are far
// above any real one and far below what would hurt the receiving computer.
inline constexpr std::uint32_t kMaxPackEntrySize = 64u * 1024 * 1024;
inline constexpr std::uint64_t kMaxPackTotalSize = 128u * 1024 * 1024;

// Writes a pack file entry by entry.
class PackWriter {
  public:
    // Creates (or truncates) the pack at `packPath`.
    explicit PackWriter(const std::string& packPath);

    // Appends the file at `sourcePath` as one entry, compressed when that makes it smaller.
    // False when the source cannot be read or is larger than kMaxPackEntrySize, or the pack cannot
    // be written; the pack is then unusable and every later call fails too.
    bool Add(const std::string& sourcePath);

    // Closes the pack. False when creating it or any Add failed.
    bool Finish();

  private:
    bool AddCompressed(int source, std::uint32_t size, std::uint64_t entryStart);
    bool AddRaw(int source, std::uint32_t size, std::uint64_t entryStart);

    UniqueFd pack_;
    std::uint64_t end_ = 0;  // bytes of complete entries
    bool failed_ = false;
};

enum class PackStatus {
    Entry,         // the next entry was unpacked whole
    End,           // no entry is left: the pack ended right after the last one
    Truncated,     // the pack ends inside an entry
    SizeMismatch,  // an entry's data does not unpack to the size its header gives
    TooLarge,      // an entry (or all entries together) would unpack beyond the limits, or its
                   // unpacked size is more than its stored bytes could hold
    Corrupt,       // an entry's compressed data is not a valid zlib stream
    CannotRead,    // the pack cannot be opened or read
    CannotWrite,   // the entry's file cannot be written
};

// Unpacks a pack file entry by entry, refusing what a writer could not have produced.
class PackReader {
  public:
    explicit PackReader(const std::string& packPath);

    // Unpacks the next entry into the file `destination` (created or replaced). On any status
    // but Entry nothing is left at `destination`; after a refusal every further call returns the
    // same status, so a bad entry ends the pack.
    PackStatus Next(const std::string& destination);

  private:
    PackStatus Unpack(int out, std::uint32_t size);
    PackStatus Inflate(int out, std::uint32_t unpacked, std::uint32_t stored);

    UniqueFd pack_;
    std::uint64_t remaining_ = 0;  // bytes of the pack not read yet
    std::uint64_t total_ = 0;      // unpacked bytes of the entries so far
    std::optional<PackStatus> stopped_;
};

// One line of a pack's names: the topic view the entry belongs to and the file name to unpack
// it to (the whole line, reduced to a plain file name).
struct PackLine {
    int view = 0;
    std::string fileName;
};

// The lines of `names` (separated by line feeds; a final empty line is no entry). The view is the
// line's leading decimal number (0 when it has none). `now` names lines that reduce to nothing.
std::vector<PackLine> ParsePackNames(std::string_view names, std::int32_t now);

}  // namespace talvoro::transfer
