#include "net/client_session.h"

#include <poll.h>

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
        if (socket_.valid() && !peerClosed_ && SendDeferredLocked() &&
            NetSend(socket_.fd(), *frame)) {
            return true;
        }
        failed_ = true;
    }
    ReportSendFailure();
    return false;
}

bool ClientSession::SendDeferredLocked() {
    std::deque<std::string> frames;
    {
        std::lock_guard lock(deferredMutex_);
        frames.swap(deferred_);
    }
    for (const std::string& frame : frames) {
        if (!NetSend(socket_.fd(), frame)) {
            return false;
        }
    }
    return true;
}

void ClientSession::FlushDeferred() {
    bool failed = false;
    {
        std::lock_guard lock(sendMutex_);
        if (failed_) {
            return;
        }
        failed = !(socket_.valid() && !peerClosed_ && SendDeferredLocked());
        failed_ = failed;
    }
    if (failed) {
        ReportSendFailure();
    }
}

bool ClientSession::SendFileBlock(const std::string& path) {
    bool sent = false;
    {
        std::lock_guard lock(sendMutex_);
        if (failed_ || !socket_.valid() || peerClosed_) {
            return false;
        }
        blockActive_.store(true);
        sent = SendDeferredLocked() && NetSendFile(socket_.fd(), path);
        blockActive_.store(false);
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
    socket_.reset();
}

}  // namespace talvoro::net
