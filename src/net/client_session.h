#pragma once
// The client's connection to the chat server: open it, log on, send frames, read and cut what the
// server sends, and send the keep-alive. What the frames mean is the business of the
// SessionEvents receiver (the chat client); this class only moves frames.
//
// Threads: the GUI thread opens, reads (OnReadable, Feed), closes and runs KeepAliveStep. Any
// thread may call SendToServer (the file server and file-send workers do): sends are serialised,
// so frames never interleave on the wire.
//
// A failed send (the connection no longer takes data) is reported once through
// SessionEvents::OnSendFailed; after it every send fails at once without another report. A
// connection the server has closed is not an error by itself: OnReadable then returns false
// (stop watching) and the next send fails.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "app/process_state.h"
#include "net/frame.h"
#include "net/frame_reader.h"
#include "net/socket.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::net {

// The one way to send to the server.
class ServerLink {
  public:
    virtual ~ServerLink() = default;
    // Any thread. Sends `payload` (kind code first) as one frame whose topic byte is the selected
    // tab. Returns false when it was not sent: the connection is broken or gone (reported once
    // through SessionEvents::OnSendFailed), or the payload does not fit a frame (logged, the
    // session goes on).
    virtual bool SendToServer(std::string_view payload) = 0;
    // GUI thread: the tab index that goes into the topic byte of every frame sent from now on.
    virtual void SetSelectedTab(int index) = 0;
    // A send worker's thread: sends the file at `path` as one file block (the operator's file,
    // after its FileHeader). Frames other threads send meanwhile wait and follow the block, so
    // nobody's chat waits for the file. False when it did not go out whole.
    virtual bool SendFileBlock(const std::string& path) {
        static_cast<void>(path);
        return false;
    }
};

// Receives what the session reads and its failures.
class SessionEvents {
  public:
    virtual ~SessionEvents() = default;
    // GUI thread: one frame from the server, in the order of arrival; after the frames of a read
    // that ended in an out-of-bounds length, a stand-in with Frame::lengthError set. Never
    // re-entered: frames that arrive while one is being handled (a message box open inside the
    // handler) are handed on after it returns.
    virtual void OnFrame(const Frame& frame) = 0;
    // The thread whose send failed, once per session, outside any lock of the session.
    virtual void OnSendFailed() = 0;
};

inline constexpr std::int16_t kOldestServerVersion = 1550;
inline constexpr int kKeepAliveSeconds = 71;
inline constexpr int kConnectTimeoutMs = 10000;

class ClientSession : public ServerLink {
  public:
    // `log` may be null; `state` and `log` must outlive the session.
    ClientSession(app::ProcessState& state, app::EventLog* log);
    ~ClientSession() override;
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    // GUI thread, before any frame arrives. `events` may be null (frames are dropped then).
    void SetEvents(SessionEvents* events) { events_ = events; }
    // GUI thread: where the keep-alive goes when this process runs the server (to every client
    // instead of to the server). Without it the keep-alive goes to the server as in a client.
    void SetKeepAliveBroadcast(std::function<void(std::string_view payload)> broadcast);

    // Connects to "Host" and "Port" of the settings, giving up after `timeoutMs`. When this
    // process runs the server and its host name does not resolve or answer, it connects over
    // loopback instead. Returns whether the session is connected. A port outside 1..65535 fails.
    bool OpenSession(int timeoutMs = kConnectTimeoutMs);
    // Takes an already connected socket (tests use one end of a socket pair).
    void Adopt(Socket socket);
    bool Connected() const;
    // The descriptor to watch for reading, -1 when not connected.
    int Descriptor() const;

    // Sends the Logon frame: name, colour, client version 1600, oldest server version 1550, and
    // "1" or "0" for "FileServerHalt".
    bool SendLogon();

    bool SendToServer(std::string_view payload) override;
    void SetSelectedTab(int index) override;
    bool SendFileBlock(const std::string& path) override;

    // GUI thread, when the descriptor is readable: one receive of up to 4096 bytes, cut into
    // frames and handed on. Returns false when the server has closed the connection or it failed
    // (the caller stops watching it); true otherwise, also when nothing was waiting.
    bool OnReadable();
    // GUI thread: bytes as if they had been received (tests, and OnReadable).
    void Feed(std::span<const std::uint8_t> bytes);

    // GUI thread, once a second: every 71 seconds of the uptime counter (0 included) the
    // keep-alive goes out.
    void KeepAliveStep(std::int64_t secondsRunning);

    // Closes the connection without telling the server.
    void Close();

  private:
    void Dispatch();
    void ReportSendFailure();
    // Sends the frames held back during a file block; `sendMutex_` is held. False on a failure.
    bool SendDeferredLocked();
    void FlushDeferred();

    app::ProcessState& state_;
    app::EventLog* log_;
    SessionEvents* events_ = nullptr;
    std::function<void(std::string_view)> keepAliveBroadcast_;
    FrameReader reader_;
    std::deque<Frame> pending_;
    bool dispatching_ = false;

    mutable std::mutex sendMutex_;  // guards socket_, failed_ and peerClosed_
    Socket socket_;
    bool failed_ = false;
    bool peerClosed_ = false;
    std::atomic<int> selectedTab_{0};
    // While a file block goes out, frames wait here instead of blocking their thread.
    std::atomic<bool> blockActive_{false};
    std::mutex deferredMutex_;
    std::deque<std::string> deferred_;
};

}  // namespace talvoro::net
