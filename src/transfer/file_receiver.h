#pragma once
// Receiving one file block from a connection into the transfer directory, with a size limit and an
// inactivity timeout, so that no sender can fill the disk, hang the receiving thread or write
// outside the directory. The file arrives under a temporary name and is renamed into place, so a
// file of the same name is replaced only once the transfer has ended. Runs on the thread that owns
// the connection (file server, server, or a test), blocking it until the block is through.

#include <cstdint>
#include <string>
#include <string_view>

#include "transfer/transfer_names.h"

namespace talvoro::transfer {

struct ReceiveLimits {
    std::uint32_t maxBytes = kMaxFileSize;  // largest file accepted; kMaxUpdateFileSize for updates
    int idleTimeoutMs = 10000;              // longest wait for the sender's next bytes
};

// The size limit for a file stored under `storedName` (a ReceivedFileName result): the larger
// bound only for the update, a name that only the own server's files keep.
inline std::uint32_t SizeLimitFor(std::string_view storedName) {
    return storedName == kUpdateFileName ? kMaxUpdateFileSize : kMaxFileSize;
}

enum class ReceiveOutcome {
    Received,     // the whole file is in place
    Partial,      // the sender closed, failed or went quiet part-way: what came is in place
    TooLarge,     // the length is above the limit: the block was read and dropped, nothing written
    CannotWrite,  // the file could not be written (or the name is not plain): the block was
                  // read and dropped
    NotAFileBlock,  // the first 12 bytes were not a file block header (or never came); the
                    // connection is out of step and should be closed
};

struct ReceiveResult {
    ReceiveOutcome outcome = ReceiveOutcome::NotAFileBlock;
    std::uint32_t announced = 0;  // the length the block announced
    std::uint64_t received = 0;   // bytes of the file that arrived
    std::string path;             // where the file (whole or partial) is; empty when none
};

// Receives the file block waiting on `fd` into `directory` (ending in "/") + `fileName`, which must
// be a plain file name (see received_name.h). Bytes after the block stay on the connection.
ReceiveResult ReceiveFileBlock(int fd, const std::string& directory, const std::string& fileName,
                               const ReceiveLimits& limits = {});

// Reads the file block waiting on `fd` and drops its bytes, keeping the connection in step when
// nobody can take the file (a block without a usable file header). True when the whole block was
// read; false when the header was not a file block's or the sender stopped part-way.
bool DiscardFileBlock(int fd, int idleTimeoutMs = 10000);

}  // namespace talvoro::transfer
