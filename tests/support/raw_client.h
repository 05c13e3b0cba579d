#pragma once
// A raw chat client for loopback tests: connects to a server on 127.0.0.1, sends payloads as
// frames (or any bytes at all, to misbehave on purpose) and receives the frames the server sends,
// always with a bounded wait. Frames are read in the client role; ReceiveMessage decodes them
// through the message types.
//
// Threads: one thread uses a client at a time.

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/messages.h"
#include "net/socket.h"

namespace talvoro::test {

class RawClient {
  public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;
    static constexpr Duration kWait = std::chrono::seconds(10);

    // Connects from `sourceAddress` (any 127.x.y.z, so that tests can tell clients apart by
    // address) to 127.0.0.1:`port`. A `receiveBuffer` above 0 makes the kernel's receive buffer
    // that small, so that a client that stops reading fills up soon. connected() is false when
    // the connect fails.
    explicit RawClient(std::uint16_t port, const std::string& sourceAddress = "127.0.0.1",
                       int receiveBuffer = 0);

    bool connected() const { return socket_.valid(); }
    int fd() const { return socket_.fd(); }

    // One frame with `payload` on tab `topic`, sent whole. False when it cannot be sent.
    bool Send(std::int8_t topic, std::string_view payload);
    bool Send(std::string_view payload) { return Send(0, payload); }
    // Any bytes, unframed.
    bool SendBytes(std::string_view bytes);

    // The Logon frame: name, colour 255, version, oldest server version, file-receive flag.
    bool SendLogon(std::string_view name, std::int32_t version = 1600, std::int32_t oldest = 1550,
                   bool fileServerOff = false);
    // Logs on and waits for the welcome roster; returns this client's id, or 0 if refused or
    // nothing came in time.
    std::int32_t LogOn(std::string_view name, Duration timeout = kWait);

    // The next frame, or nullopt when none arrives in `timeout` or the server closed.
    std::optional<net::Frame> Receive(Duration timeout = kWait);
    // Reads frames until one of `kind` arrives (frames of other kinds are dropped).
    std::optional<net::Frame> ReceiveKind(net::MessageKind kind, Duration timeout = kWait);
    // Reads frames until one of Message's kind arrives and decodes it.
    template <typename Message>
    std::optional<Message> ReceiveMessage(Duration timeout = kWait) {
        const std::optional<net::Frame> frame = ReceiveKind(Message::kKind, timeout);
        return frame ? net::DecodeFrame<Message>(*frame) : std::nullopt;
    }
    // Reads and drops frames until the server closes the connection; false on timeout.
    bool WaitClosed(Duration timeout = kWait);

    // Closes this end.
    void Close() { socket_.reset(); }

  private:
    bool ReadSome(Clock::time_point deadline);
    static Duration Left(Clock::time_point deadline);

    net::Socket socket_;
    net::FrameReader reader_{net::FrameRole::Client, nullptr};
    std::deque<net::Frame> frames_;
    bool peerClosed_ = false;
};

}  // namespace talvoro::test
