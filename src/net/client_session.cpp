#include "net/client_session.h"

#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <utility>

#include "app/event_log.h"
#include "net/connection.h"
#include "net/file_block.h"
#include "net/message_kind.h"
#include "net/messages.h"
#include "net/poll_wait.h"

namespace talvoro::net {

namespace {

constexpr const char* kLoopbackAddress = "127.0.0.1";

}  // namespace

ClientSession::ClientSession(app::ProcessState& state, app::EventLog* log)
    : state_(state), log_(log), reader_(FrameRole::Client, log) {}

ClientSession::~ClientSession() {
    Close();
}

void ClientSession::SetKeepAliveBroadcast(std::function<void(std::string_view)> broadcast) {
    keepAliveBroadcast_ = std::move(broadcast);
}

bool ClientSession::OpenSession(int timeoutMs) {
    const std::int32_t port = state_.settings.Port;
    if (port < 1 || port > 65535) {
        return false;
    }
    const auto port16 = static_cast<std::uint16_t>(port);
    Socket socket = NetOpenConnection(state_.settings.Host, port16, timeoutMs);
    if (!socket.valid() && state_.ServerRunning) {
        // The own server listens on every address; a host name that does not resolve here must
        // not keep its operator out.
        socket = NetOpenConnection(kLoopbackAddress, port16, timeoutMs);
    }
    if (!socket.valid()) {
        return false;
    }
    Adopt(std::move(socket));
    return true;
}

void ClientSession::Adopt(Socket socket) {
    std::lock_guard lock(sendMutex_);
    socket_ = std::move(socket);
    output_.clear();
    frontWritten_ = 0;
    failed_ = false;
    peerClosed_ = false;
    reader_.Reset();
}

bool ClientSession::Connected() const {
    std::lock_guard lock(sendMutex_);
    return socket_.valid();
}

int ClientSession::Descriptor() const {
    std::lock_guard lock(sendMutex_);
    return socket_.fd();
}

bool ClientSession::SendLogon() {
    const app::Settings& settings = state_.settings;
    const Logon logon{settings.UserName, settings.Color, app::kClientVersion, kOldestServerVersion,
                      settings.FileServerHalt.load() != 0};
    return SendToServer(logon.Encode());
}

bool ClientSession::SendToServer(std::string_view payload) {
    const auto topic = static_cast<std::int8_t>(selectedTab_.load());
    const std::optional<std::string> frame = EncodeFrame(topic, payload);
    if (!frame) {
        if (log_ != nullptr) {
            log_->LogEvent(true, OutOfBoundsMessage(FrameRole::Client));
        }
        return false;
    }
    if (blockActive_.load()) {
        {
            std::lock_guard lock(deferredMutex_);
            deferred_.push_back(*frame);
        }
        // The block's sender flushes once it is through; if it already was, flush here.
        if (!blockActive_.load()) {
            FlushDeferred();
        }
        return true;
    }
    {
        std::lock_guard lock(sendMutex_);
        if (failed_) {
            return false;
        }
        if (socket_.valid() && !peerClosed_) {
            const auto now = Clock::now();
            if (output_.empty()) {
                lastProgress_ = now;
            }
            TakeDeferredLocked();
            output_.push_back(std::move(*frame));
            const Flush flushed = FlushLocked(now);
            if (flushed == Flush::Done) {
                return true;
            }
            if (flushed == Flush::Waiting) {
                if (outputWaiting_) {
                    outputWaiting_();
                }
                return true;
            }
        }
        failed_ = true;
        output_.clear();
    }
    ReportSendFailure();
    return false;
}

// Writes queued output until the socket takes no more, without waiting.
ClientSession::Flush ClientSession::FlushLocked(Clock::time_point now) {
    while (!output_.empty()) {
        const std::string& front = output_.front();
        const ssize_t n = ::send(socket_.fd(), front.data() + frontWritten_,
                                 front.size() - frontWritten_, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            lastProgress_ = now;
            frontWritten_ += static_cast<std::size_t>(n);
            if (frontWritten_ == front.size()) {
                output_.pop_front();
                frontWritten_ = 0;
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return Flush::Waiting;
        }
        return Flush::Failed;
    }
    return Flush::Done;
}

void ClientSession::SetOutputWaiting(std::function<void()> hook) {
    std::lock_guard lock(sendMutex_);
    outputWaiting_ = std::move(hook);
}

bool ClientSession::OnWritable() {
    {
        std::lock_guard lock(sendMutex_);
        if (failed_ || !socket_.valid()) {
            return false;
        }
        const Flush flushed = FlushLocked(Clock::now());
        if (flushed != Flush::Failed) {
            return flushed == Flush::Waiting;
        }
        failed_ = true;
        output_.clear();
    }
    ReportSendFailure();
    return false;
}

bool ClientSession::CheckStall(Clock::time_point now) {
    {
        std::lock_guard lock(sendMutex_);
        if (failed_ || output_.empty() ||
            now - lastProgress_ <= std::chrono::milliseconds(kSendStallMs)) {
            return true;
        }
        failed_ = true;
        output_.clear();
    }
    ReportSendFailure();
    return false;
}

std::size_t ClientSession::QueuedBytes() const {
    std::lock_guard lock(sendMutex_);
    std::size_t bytes = 0;
    for (const std::string& frame : output_) {
        bytes += frame.size();
    }
    return bytes - frontWritten_;
}

void ClientSession::TakeDeferredLocked() {
    std::deque<std::string> frames;
    {
        std::lock_guard lock(deferredMutex_);
        frames.swap(deferred_);
    }
    if (!frames.empty() && output_.empty()) {
        lastProgress_ = Clock::now();
    }
    for (std::string& frame : frames) {
        output_.push_back(std::move(frame));
    }
}

void ClientSession::FlushDeferred() {
    {
        std::lock_guard lock(sendMutex_);
        if (failed_) {
            return;
        }
        if (socket_.valid() && !peerClosed_) {
            TakeDeferredLocked();
            const Flush flushed = FlushLocked(Clock::now());
            if (flushed != Flush::Failed) {
                if (flushed == Flush::Waiting && outputWaiting_) {
                    outputWaiting_();
                }
                return;
            }
        }
        failed_ = true;
        output_.clear();
    }
    ReportSendFailure();
}

// The worker thread may wait here: the queued output goes out first, whole, then the block.
bool ClientSession::SendFileBlock(const std::string& path) {
    bool sent = false;
    bool lost = false;
    {
        std::lock_guard lock(sendMutex_);
        if (failed_ || !socket_.valid() || peerClosed_) {
            return false;
        }
        blockActive_.store(true);
        TakeDeferredLocked();
        bool framesOut = true;
        while (framesOut && !output_.empty()) {
            const std::string& front = output_.front();
            framesOut = NetSend(socket_.fd(), std::string_view(front).substr(frontWritten_));
            output_.pop_front();
            frontWritten_ = 0;
        }
        if (!framesOut) {
            failed_ = lost = true;  // a frame went out in part: the framing is lost
            output_.clear();
        } else {
            sent = NetSendFile(socket_.fd(), path);
            lastProgress_ = Clock::now();
        }
        blockActive_.store(false);
        if (!framesOut) {
            std::lock_guard deferredLock(deferredMutex_);
            deferred_.clear();
        }
    }
    if (lost) {
        ReportSendFailure();
        return false;
    }
    FlushDeferred();
    return sent;
}

void ClientSession::SetSelectedTab(int index) {
    selectedTab_.store(index);
}

void ClientSession::ReportSendFailure() {
    if (events_ != nullptr) {
        events_->OnSendFailed();
    } else {
        state_.QuitRequested = true;
    }
}

bool ClientSession::OnReadable() {
    const int fd = Descriptor();
    if (fd < 0) {
        return false;
    }
    if (!WaitReady(fd, POLLIN, 0)) {
        return true;  // nothing waiting after all
    }
    std::array<std::uint8_t, app::kFrameBufferSize> buffer{};
    const long received = NetReceive(fd, buffer);
    if (received > 0) {
        Feed(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(received)));
        return true;
    }
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return true;
    }
    std::lock_guard lock(sendMutex_);
    peerClosed_ = true;
    return false;
}

void ClientSession::Feed(std::span<const std::uint8_t> bytes) {
    FrameReader::ReadResult read = reader_.Read(bytes);
    for (Frame& frame : read.frames) {
        pending_.push_back(std::move(frame));
    }
    if (read.lengthError) {
        Frame standIn;
        standIn.lengthError = true;  // counted like a frame
        pending_.push_back(std::move(standIn));
    }
    Dispatch();
}

void ClientSession::Dispatch() {
    if (dispatching_) {
        return;  // the outer call hands these on in order
    }
    dispatching_ = true;
    while (!pending_.empty()) {
        const Frame frame = std::move(pending_.front());
        pending_.pop_front();
        if (events_ != nullptr) {
            events_->OnFrame(frame);
        }
    }
    dispatching_ = false;
}

void ClientSession::KeepAliveStep(std::int64_t secondsRunning) {
    if (secondsRunning % kKeepAliveSeconds != 0) {
        return;
    }
    const std::string payload = Heartbeat{}.Encode();
    if (state_.ServerRunning && keepAliveBroadcast_) {
        keepAliveBroadcast_(payload);
    } else {
        SendToServer(payload);
    }
}

void ClientSession::Close() {
    std::lock_guard lock(sendMutex_);
    if (socket_.valid() && !failed_) {
        FlushLocked(Clock::now());  // what the socket takes at once still goes out
    }
    output_.clear();
    frontWritten_ = 0;
    outputWaiting_ = nullptr;
    socket_.reset();
}

}  // namespace talvoro::net
