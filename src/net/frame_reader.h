#pragma once
// Cuts the byte stream of one connection into deciphered frames.
//
// TCP delivers a stream, so a frame may arrive split over several reads; the reader keeps the
// unfinished part and completes it with the next read. Rules for what arrives:
// - Fewer than 2 buffered bytes: nothing can be judged yet; they wait for more data.
// - A declared length below 5 or above 4096: the role's out-of-bounds message is logged as an
//   error and everything buffered is dropped (the connection is kept; reading starts afresh
//   with the next read).
// - A declared length longer than what is buffered: the partial frame waits for more data only
//   when its header is plausible, i.e. once its kind byte is there it must be a known kind code
//   (0x92..0xA2). Otherwise it is treated as out of bounds (logged, buffered rest dropped), so
//   that garbage declaring a plausible length cannot swallow the good frames that follow.
// - A complete frame is handed on whatever its kind code; receivers drop kinds they have no
//   rule for.
// Frame::raw keeps the whole payload after the kind byte; the message types read it.
// Nothing is ever read outside the bytes given; at most one partial frame (< 4096 bytes) is kept.
//
// Thread safety: one reader per connection, used by the one thread that reads that connection.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "net/frame.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::net {

enum class FrameRole { Server, FileServer, Client };

// The error logged for a frame length out of bounds, by role.
std::string_view OutOfBoundsMessage(FrameRole role);

class FrameReader {
  public:
    // `log` may be null (nothing is logged then); it must outlive the reader.
    FrameReader(FrameRole role, app::EventLog* log);

    struct ReadResult {
        std::vector<Frame> frames;  // completed by this read, in order
        bool lengthError = false;   // the read ended in an out-of-bounds length (logged)
    };

    // Takes the bytes of one read: the frames they complete and whether a length was out of
    // bounds (always after those frames: the rest of the read is dropped then).
    ReadResult Read(std::span<const std::uint8_t> bytes);
    // The frames only.
    std::vector<Frame> Feed(std::span<const std::uint8_t> bytes) { return Read(bytes).frames; }

    // Forgets a partial frame (e.g. when the connection is replaced).
    void Reset();

  private:
    // Cuts frames out of `bytes`; returns how many bytes were used up (handed on or dropped).
    std::size_t Cut(std::span<const std::uint8_t> bytes, ReadResult& result);
    static Frame Decode(std::span<const std::uint8_t> enciphered);
    void LogOutOfBounds() const;

    FrameRole role_;
    app::EventLog* log_;
    std::vector<std::uint8_t> pending_;  // enciphered start of an unfinished frame
};

}  // namespace talvoro::net
