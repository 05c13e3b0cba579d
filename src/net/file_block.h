#pragma once
// A whole file on a connection: the tag "KWMGSFLE", the length as unsigned 32-bit little-endian,
// then the file's bytes unchanged. The sender streams the file in 64 KiB chunks, so memory use
// does not grow with the file; it runs on the calling thread and blocks it until the block is
// through or has failed. Receiving is transfer/incoming_file's, fed by whoever reads the
// connection.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace talvoro::net {

inline constexpr std::array<std::uint8_t, 8> kFileBlockTag = {'K', 'W', 'M', 'G',
                                                              'S', 'F', 'L', 'E'};
inline constexpr std::size_t kFileBlockHeaderSize = 12;
inline constexpr std::size_t kFileBlockChunkSize = 64 * 1024;

// True when `bytes` has at least 8 bytes and they are the file block tag.
bool StartsWithFileBlockTag(std::span<const std::uint8_t> bytes);

// Sends the regular file at `path` as one file block on `fd`. Returns false, having sent nothing,
// when the file cannot be opened, is not a regular file or is 4 GiB or larger; returns false
// part-way when the file shrinks while being read or a send fails (each chunk waits up to 5 s for
// the peer to take it). A 0-byte file is the 12-byte header alone.
bool NetSendFile(int fd, const std::string& path);

}  // namespace talvoro::net
