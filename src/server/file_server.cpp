#include "server/file_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <vector>

#include "app/event_log.h"
#include "net/frame.h"
#include "net/transport.h"
#include "server/inbound_stream.h"

namespace talvoro::server {

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kPassMs = 1000;  // the longest sleep: halt and quit are looked at once a second
constexpr std::size_t kReadSize = 64 * 1024;
constexpr int kReadsPerEvent = 16;

}  // namespace

std::string ClientOnlyRefusalText(const std::string& host, std::uint16_t port) {
    return "You're attempting to connect to a client only!\n** Try a real Talvoro server at <" +
           host + ":" + std::to_string(port) + "> instead.";
}

namespace {

// One accepted connection: its own stream, FileHeader and receive.
struct Peer final : InboundStream::Handler {
    Peer(const FileServerSetup& serverSetup, net::Socket connection)
        : setup(serverSetup),
          socket(std::move(connection)),
          fd(socket.fd()),
          stream(serverSetup.log, net::FrameRole::FileServer) {}

    void OnFrame(const net::Frame& frame) override {
        if (auto header = net::DecodeFrame<net::FileHeader>(frame)) {
            pending = std::move(*header);
        } else if (net::DecodeFrame<net::Logon>(frame)) {
            refuse = true;
        }
    }
    void OnFileBlockBegin(std::uint32_t length) override {
        const bool fromServer =
            !setup.serverAddress.empty() && net::NetPeerAddress(fd) == setup.serverAddress;
        sink = setup.beginFile ? setup.beginFile(pending, length, fromServer) : nullptr;
        pending.fileName.clear();  // a second block without a new header has no name
    }
    void OnFileBlockData(std::span<const std::uint8_t> bytes) override {
        if (sink) {
            sink->Write(bytes);
        }
    }
    void OnFileBlockEnd() override {
        if (sink) {
            sink->Finish(true);
            sink.reset();
        }
    }
    void Abandon() {
        if (sink) {
            sink->Finish(false);
            sink.reset();
        }
    }

    const FileServerSetup& setup;
    net::Socket socket;
    int fd;
    InboundStream stream;
    net::FileHeader pending;
    std::unique_ptr<FileBlockSink> sink;
    SteadyClock::time_point lastBytes = SteadyClock::now();
    bool refuse = false;
};

}  // namespace

class FileServer::Loop {
  public:
    explicit Loop(const FileServerSetup& setup)
        : setup_(setup), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    bool Listen() {
        return wake_.valid() &&
               listener_.Listen(setup_.port,
                                setup_.bindAddress.empty() ? nullptr : setup_.bindAddress.c_str());
    }
    std::uint16_t Port() const { return listener_.LocalPort(); }
    void RequestStop() {
        stop_.store(true);
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_.fd(), &one, sizeof one);
    }

    // One wait per pass on the wake-up event, the listener and every connection; then each
    // ready connection is served once and what is pending is accepted.
    void Run() {
        std::vector<std::uint8_t> buffer(kReadSize);
        while (!Ending()) {
            std::vector<pollfd> watched{{wake_.fd(), POLLIN, 0}, {listener_.fd(), POLLIN, 0}};
            std::vector<int> fds;
            for (const auto& [fd, peer] : peers_) {
                watched.push_back(pollfd{fd, POLLIN, 0});
                fds.push_back(fd);
            }
            const int ready = ::poll(watched.data(), watched.size(), kPassMs);
            if (ready > 0 && watched[0].revents != 0) {
                std::uint64_t drained = 0;
                [[maybe_unused]] const ssize_t n = ::read(wake_.fd(), &drained, sizeof drained);
            }
            for (std::size_t i = 0; ready > 0 && i < fds.size() && !Ending(); ++i) {
                if (watched[i + 2].revents != 0) {
                    Serve(fds[i], buffer);
                }
            }
            if (ready > 0 && (watched[1].revents & POLLIN) != 0) {
                for (net::Socket socket = listener_.Accept(); socket.valid();
                     socket = listener_.Accept()) {
                    const int fd = socket.fd();
                    peers_[fd] = std::make_unique<Peer>(setup_, std::move(socket));
                }
            }
            DropIdleReceives();
        }
        for (auto& [fd, peer] : peers_) {
            peer->Abandon();
        }
        peers_.clear();
        listener_.Close();
    }

  private:
    bool Ending() const {
        return stop_.load() || setup_.fileServerHalt->load() != 0 ||
               (setup_.quitRequested != nullptr && setup_.quitRequested->load());
    }

    void Serve(int fd, std::vector<std::uint8_t>& buffer) {
        auto it = peers_.find(fd);
        if (it == peers_.end()) {
            return;
        }
        Peer& peer = *it->second;
        // Reads what is waiting (up to a bound, so other connections get their turn): a file
        // block then costs one wake-up per few reads rather than one per read.
        bool closed = false;
        for (int read = 0; read < kReadsPerEvent && !peer.refuse; ++read) {
            const long n = net::NetReceive(fd, buffer);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                break;  // nothing more now
            }
            if (n <= 0) {
                closed = true;  // the end, a reset or an error
                break;
            }
            peer.lastBytes = SteadyClock::now();
            peer.stream.Feed(std::span(buffer).first(static_cast<std::size_t>(n)), peer);
        }
        if (peer.refuse) {
            Refuse(peer);
            peers_.erase(it);
        } else if (closed) {
            peer.Abandon();
            peers_.erase(it);
        }
    }

    void Refuse(Peer& peer) {
        const std::string payload =
            net::Refusal{ClientOnlyRefusalText(setup_.host, setup_.hostPort)}.Encode();
        if (const auto frame = net::EncodeFrame(0, payload)) {
            net::NetSend(peer.fd, *frame);  // a failed send changes nothing: it closes anyway
        }
        if (setup_.log != nullptr) {
            setup_.log->LogEvent(false, net::NetPeerAddress(peer.fd) +
                                            " tried to connect as new client - politely rejected");
        }
        peer.Abandon();
    }

    // A sender that went quiet part-way: its file is kept as it is and its connection closed.
    void DropIdleReceives() {
        const auto limit = std::chrono::milliseconds(setup_.idleTimeoutMs);
        for (auto it = peers_.begin(); it != peers_.end();) {
            Peer& peer = *it->second;
            if (peer.stream.InFileBlock() && SteadyClock::now() - peer.lastBytes > limit) {
                peer.Abandon();
                it = peers_.erase(it);
            } else {
                ++it;
            }
        }
    }

    const FileServerSetup& setup_;
    net::Listener listener_;
    net::Socket wake_;
    std::atomic<bool> stop_{false};
    std::map<int, std::unique_ptr<Peer>> peers_;  // by descriptor; each Peer owns its socket
};

FileServer::FileServer(FileServerSetup setup) : setup_(std::move(setup)) {}

FileServer::~FileServer() {
    Stop();
}

void FileServer::Start() {
    if (running_.load()) {
        return;
    }
    if (thread_.joinable()) {
        thread_.join();  // a file server that ended by itself (halt, quit)
    }
    running_.store(true);
    loop_ = std::make_shared<Loop>(setup_);
    thread_ = std::thread([this, loop = loop_] {
        const auto sendStatus = [this](bool disabled) {
            if (setup_.link != nullptr) {
                setup_.link->SendToServer(net::FileReceiveStatusToServer{disabled}.Encode());
            }
        };
        const std::string port = std::to_string(setup_.port);
        if (!loop->Listen()) {
            setup_.showLine("** Could not create file server on port " + port + " (" +
                            setup_.timeText() + ")");
            setup_.fileServerHalt->store(1);
            sendStatus(true);
        } else {
            listeningPort_.store(loop->Port());
            setup_.showLine("** File server created on port " + port + " (" + setup_.timeText() +
                            ")");
            sendStatus(false);
            loop->Run();
        }
        listeningPort_.store(0);
        running_.store(false);
    });
}

void FileServer::Stop() {
    if (loop_) {
        loop_->RequestStop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace talvoro::server
