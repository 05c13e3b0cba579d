#pragma once
// Cuts the bytes that arrive on one chat connection into frames and file blocks. A file block
// ("KWMGSFLE" + 32-bit length + bytes, sent to the operator over a chat connection) may start
// wherever a frame could; everything else is frames, deciphered by a FrameReader in the server
// role. TCP may split both anywhere, so partial units wait for the next read.
//
// Bad input: a declared frame length below 5 or above 4096, or a partial frame whose kind byte
// is no known kind, logs "SERVER: Message length is out of bounds!" as an error and drops
// everything buffered; reading starts afresh with the next read. At most one partial frame
// (under 4096 bytes) is ever kept; file block bytes are handed on as they arrive, never stored.
//
// Threads: one stream per connection, used by the server thread only.

#include <cstdint>
#include <span>
#include <vector>

#include "net/frame.h"
#include "net/frame_reader.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::server {

class InboundStream {
  public:
    // Receives the units in the order they arrive. Must not feed the same stream again.
    class Handler {
      public:
        virtual void OnFrame(const net::Frame& frame) = 0;
        virtual void OnFileBlockBegin(std::uint32_t length) = 0;
        virtual void OnFileBlockData(std::span<const std::uint8_t> bytes) = 0;
        virtual void OnFileBlockEnd() = 0;

      protected:
        ~Handler() = default;
    };

    // `log` may be null; it must outlive the stream. `role` names the reader in the log (the file
    // server reads the same units as the chat server).
    explicit InboundStream(app::EventLog* log, net::FrameRole role = net::FrameRole::Server);

    void Feed(std::span<const std::uint8_t> bytes, Handler& handler);

    // True between a file block's header and its last byte.
    bool InFileBlock() const { return inFile_; }

  private:
    struct Unit;
    Unit NextUnit(std::span<const std::uint8_t> bytes) const;

    net::FrameReader reader_;
    app::EventLog* log_;
    net::FrameRole role_;
    std::vector<std::uint8_t> pending_;
    bool inFile_ = false;
    std::uint32_t fileRemaining_ = 0;
};

}  // namespace talvoro::server
