#pragma once
// A whole file on a connection: the tag "KWMGSFLE", the length as unsigned 32-bit little-endian,
// then the file's bytes unchanged. Both directions stream the file in 64 KiB chunks, so memory use
// does not grow with the file. Each function runs on the calling thread and blocks it until the
// block is through or has failed.

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

// One receive into `buffer`, waiting up to `idleTimeoutMs` for bytes: >0 bytes read, 0 when the
// peer closed, -1 on error or when the wait ran out. Works on blocking and non-blocking sockets.
long ReceiveSome(int fd, std::span<std::uint8_t> buffer, int idleTimeoutMs);

// Receives the 12-byte header of a file block and returns the announced length; nothing when the
// peer closes, fails or is silent for `idleTimeoutMs` first, or the bytes do not start with the
// tag.
std::optional<std::uint32_t> ReceiveFileBlockHeader(int fd, int idleTimeoutMs);

// Sends the regular file at `path` as one file block on `fd`. Returns false, having sent nothing,
// when the file cannot be opened, is not a regular file or is 4 GiB or larger; returns false
// part-way when the file shrinks while being read or a send fails (each chunk waits up to 5 s for
// the peer to take it). A 0-byte file is the 12-byte header alone.
bool NetSendFile(int fd, const std::string& path);

// Receives one file block from `fd` into `path` (created or truncated first) and leaves any bytes
// after the block unread on the connection. Returns false when the file cannot be created or
// written, the first 8 bytes are not the tag, the peer closes or fails before the announced length
// has arrived, or nothing arrives for `idleTimeoutMs` (negative counts as 0). What was received
// before a failure stays in the file. Works on blocking and non-blocking sockets.
bool NetReceiveFile(int fd, const std::string& path, int idleTimeoutMs = 10000);

}  // namespace talvoro::net
