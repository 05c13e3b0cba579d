#pragma once
// Small pieces of file handling shared by the transfer code: an owned descriptor, whole writes,
// reads that survive signals, and temporary files that are renamed into place. Any thread; every
// object is used by one thread at a time.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace talvoro::transfer {

// Move-only owner of a file descriptor, closed once when the owner goes away or is reset.
class UniqueFd {
  public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd < 0 ? -1 : fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    int release() noexcept;
    // Closes the descriptor now; false when close reported an error (a write that did not land).
    bool reset() noexcept;

  private:
    int fd_ = -1;
};

// Opens `path` for reading; an invalid UniqueFd when it cannot be opened.
UniqueFd OpenForReading(const std::string& path);

// Writes all of `data`, continuing short writes. False on the first real error.
bool WriteAll(int fd, std::span<const std::uint8_t> data);

// One read of up to buffer.size() bytes, retried when a signal interrupts it: bytes read, 0 at the
// end of the file, -1 on error.
long ReadSome(int fd, std::span<std::uint8_t> buffer);

// Reads exactly buffer.size() bytes; false at an early end of the file or on error.
bool ReadExact(int fd, std::span<std::uint8_t> buffer);

enum class CopyFault { None, Read, Write };

// Copies `count` bytes from `from` to `to`, each at its current position, in 64 KiB pieces. Read
// when `from` ends early or fails, Write when writing fails.
CopyFault CopyExact(int from, int to, std::uint64_t count);

// A new, empty file with a unique name in `directory` (which ends in "/"), readable and writable
// by its owner only. Commit renames it to its final name; a TempFile that is never committed is
// removed when it goes away.
class TempFile {
  public:
    static std::optional<TempFile> Create(const std::string& directory);
    ~TempFile();
    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&&) = delete;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_.get(); }
    // Closes the file, gives it `mode` and renames it to `path`, replacing a file of that name.
    // False (and the temporary file removed) when any step fails.
    bool Commit(const std::string& path, unsigned mode = 0644);

  private:
    TempFile(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    UniqueFd fd_;
    std::string path_;  // empty once committed
};

}  // namespace talvoro::transfer
