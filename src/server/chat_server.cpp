#include "server/chat_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>

#include "app/event_log.h"
#include "server/socket_endpoint.h"

namespace talvoro::server {

namespace {

constexpr int kMaxEventsPerPass = 64;
constexpr std::size_t kReadSize = 16 * 1024;
// While output waits for a slow reader the loop looks again this often (the transport's wait
// watches only for input).
constexpr std::chrono::milliseconds kBacklogRetry{5};

template <typename... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
// Spelled out for compilers without aggregate deduction (clang before 17).
template <typename... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

void RaiseTo(std::atomic<std::int16_t>& value, std::int16_t candidate) {
    std::int16_t current = value.load();
    while (current < candidate && !value.compare_exchange_weak(current, candidate)) {
    }
}

}  // namespace

void QuitAnswer::Answer(bool quit) const {
    if (const std::shared_ptr<RequestInbox> inbox = inbox_.lock()) {
        inbox->Push(request::QuitAnswer{quit});
    }
}

// Hands what one connection sent to the rules, in order. Units that arrive after the rules let
// the connection go are ignored.
class ChatServer::StreamHandler final : public InboundStream::Handler {
  public:
    StreamHandler(ChatServer& server, ConnectionId id) : server_(server), id_(id) {}

    void OnFrame(const net::Frame& frame) override { frames_.push_back(frame); }

    // The frames of one read go to the rules under one lock, and what they send goes out in one
    // flush per connection.
    void ApplyFrames() {
        if (frames_.empty()) {
            return;
        }
        if (Live() != nullptr) {
            server_.Apply([&] {
                for (const net::Frame& frame : frames_) {
                    server_.core_.FrameReceived(id_, frame);
                }
            });
        }
        frames_.clear();
    }

    void OnFileBlockBegin(std::uint32_t length) override {
        ApplyFrames();  // the FileHeader that names this block comes first
        if (Live() == nullptr) {
            return;
        }
        std::optional<PendingFileHeader> header;
        server_.Apply([&] { header = server_.core_.FileBlockStarts(id_); });
        Connection* connection = Live();
        if (!header || connection == nullptr) {
            return;
        }
        if (header->sender.empty()) {
            if (server_.log_ != nullptr) {
                server_.log_->LogEvent(true, "Unknown file sent from " + header->sender);
            }
            return;
        }
        connection->sink = server_.observer_.OpenFileReceive(id_, *header, length);
    }

    void OnFileBlockData(std::span<const std::uint8_t> bytes) override {
        if (Connection* connection = Live(); connection != nullptr && connection->sink) {
            connection->sink->Write(bytes);
        }
    }

    void OnFileBlockEnd() override {
        if (Connection* connection = Live(); connection != nullptr && connection->sink) {
            connection->sink->Finish(true);
            connection->sink.reset();
        }
    }

  private:
    Connection* Live() {
        auto it = server_.connections_.find(id_);
        if (it == server_.connections_.end() || it->second.closing || it->second.dead) {
            return nullptr;
        }
        return &it->second;
    }

    ChatServer& server_;
    ConnectionId id_;
    std::vector<net::Frame> frames_;
};

ChatServer::ChatServer(app::ProcessState& process, app::EventLog* log, ServerObserver& observer,
                       BootstrapHooks* bootstrap, ServerLimits limits)
    : process_(process),
      log_(log),
      observer_(observer),
      bootstrap_(bootstrap),
      limits_(limits),
      core_(process.settings, clock_,
            ServerConfig{process.settings.Host, bootstrap != nullptr, limits.logonDeadline,
                         limits.keepAliveCycleMin}),
      inbox_(std::make_shared<RequestInbox>([this] { transport_.Wake(); })) {}

ChatServer::~ChatServer() {
    Stop();
}

bool ChatServer::Start(std::uint16_t port, const char* bindAddress) {
    if (thread_.joinable()) {
        return true;
    }
    listener_ = transport_.NetCreateServer(port, bindAddress);
    if (listener_ == 0) {
        return false;
    }
    port_ = transport_.LocalPort();
    process_.ServerRunning.store(true);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void ChatServer::Stop() {
    if (thread_.joinable()) {
        stopping_.store(true);
        transport_.Wake();
        thread_.join();
    }
    inbox_->Close();
}

void ChatServer::SetOperatorConnection(int clientFd) {
    const PeerEndpoint local = LocalEndpointOf(clientFd);
    if (local.address.empty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    core_.SetOperatorPeer(local);
}

void ChatServer::BroadcastHeartbeat() {
    inbox_->Push(request::Heartbeat{});
}

void ChatServer::StopKeepAlive() {
    inbox_->Push(request::StopKeepAlive{});
}

void ChatServer::RequestQuit() {
    inbox_->Push(request::Quit{});
}

void ChatServer::SendToClient(ConnectionId id, std::string payload) {
    inbox_->Push(request::Send{id, std::move(payload)});
}

void ChatServer::Refuse(ConnectionId id, std::string logText, std::string clientText) {
    inbox_->Push(request::Refuse{id, std::move(logText), std::move(clientText)});
}

void ChatServer::CloseConnection(ConnectionId id) {
    inbox_->Push(request::Close{id});
}

// ---- the server thread ----

void ChatServer::Run() {
    threadId_.store(static_cast<int>(::syscall(SYS_gettid)));
    Apply([&] { core_.Started(port_); });
    while (!stopping_.load()) {
        transport_.WaitForActivity(WaitTimeoutMs());
        if (stopping_.load()) {
            break;
        }
        ServeSockets();
        ServeRequests();
        Apply([&] {
            core_.Tick();
            core_.Idle();
        });
        FlushAll();
        FinishClosing();
    }
    Apply([&] { core_.StopKeepAlive(); });
    FlushBeforeStop();
    for (auto& [id, connection] : connections_) {
        if (connection.sink) {
            connection.sink->Finish(false);
        }
    }
    connections_.clear();
    transport_.NetCloseServer();
    threadId_.store(0);
}

int ChatServer::WaitTimeoutMs() {
    std::optional<SteadyTime> due;
    {
        std::lock_guard lock(mutex_);
        due = core_.NextDeadline();
    }
    const SteadyTime now = clock_.Now();
    const auto earliest = [&due](SteadyTime at) { due = due ? std::min(*due, at) : at; };
    for (const auto& [id, connection] : connections_) {
        if (connection.closing) {
            earliest(connection.closeBy);
        }
        if (!connection.output.empty()) {
            earliest(now + kBacklogRetry);
        }
    }
    if (!due) {
        return -1;
    }
    if (*due <= now) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
    return static_cast<int>(std::min<std::int64_t>(ms, INT_MAX));
}

void ChatServer::ServeSockets() {
    // One look at every socket; each ready connection gets one read per pass, so a busy client
    // cannot starve the others.
    std::vector<pollfd> watched;
    watched.reserve(connections_.size() + 1);
    const bool canAccept = transport_.ClientCount() < net::Transport::kClientSlots;
    watched.push_back(pollfd{canAccept ? listener_ : -1, POLLIN, 0});
    for (const auto& [id, connection] : connections_) {
        if (!connection.dead) {
            watched.push_back(pollfd{id, POLLIN, 0});
        }
    }
    if (::poll(watched.data(), watched.size(), 0) <= 0) {
        return;
    }
    for (std::size_t i = 1; i < watched.size(); ++i) {
        if (watched[i].revents != 0) {
            ReadFrom(watched[i].fd);
        }
    }
    if ((watched[0].revents & POLLIN) != 0) {
        AcceptPending();
    }
}

void ChatServer::ReadFrom(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) {
        transport_.NetCloseConnection(id);  // a slot the loop does not know: never left unread
        return;
    }
    Connection& connection = it->second;
    if (connection.dead) {
        return;
    }
    std::array<std::uint8_t, kReadSize> buffer;
    const long n = net::NetReceive(id, buffer);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
        transport_.NetCloseConnection(id);
        OnPeerClosed(id);
        return;
    }
    if (connection.closing) {
        return;  // what a closing connection still sends is read and dropped
    }
    StreamHandler handler(*this, id);
    connection.inbound.Feed(std::span(buffer).first(static_cast<std::size_t>(n)), handler);
    handler.ApplyFrames();
}

void ChatServer::AcceptPending() {
    for (int i = 0; i < kMaxEventsPerPass; ++i) {
        const int event = transport_.NetServerEvent();
        const int fd = transport_.NetEventClient();
        if (event == net::kNetConnected) {
            OnAccepted(fd);
            continue;
        }
        // Nothing more to accept; the transport reported a connection instead.
        if (event == net::kNetClosed) {
            OnPeerClosed(fd);
        } else if (event != net::kNetNothing) {
            ReadFrom(fd);
        }
        return;
    }
}

void ChatServer::OnAccepted(ConnectionId id) {
    connections_.erase(id);  // a dead entry whose descriptor number came back
    connections_.try_emplace(id, log_);
    const PeerEndpoint peer = PeerEndpointOf(id);
    Apply([&] { core_.Accepted(id, peer); });
}

void ChatServer::OnPeerClosed(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end() || it->second.dead) {
        return;
    }
    Connection& connection = it->second;
    const bool known = !connection.closing;
    if (connection.sink) {
        connection.sink->Finish(false);
        connection.sink.reset();
    }
    connection.dead = true;
    if (known) {
        Apply([&] { core_.Closed(id); });
    }
}

void ChatServer::ServeRequests() {
    for (const Request& request : inbox_->TakeAll()) {
        Serve(request);
    }
}

void ChatServer::Serve(const Request& request) {
    std::visit(
        Overloaded{
            [&](const request::Heartbeat&) { Apply([&] { core_.BroadcastHeartbeat(); }); },
            [&](const request::StopKeepAlive&) { Apply([&] { core_.StopKeepAlive(); }); },
            [&](const request::Quit&) {
                std::size_t records = 0;
                {
                    std::lock_guard lock(mutex_);
                    records = core_.RecordCount();
                }
                if (records > 1) {
                    observer_.AskQuitQuestion(QuitAnswer(inbox_));
                } else {
                    ConfirmQuit();
                }
            },
            [&](const request::QuitAnswer& answer) {
                if (answer.quit) {
                    Apply([&] { core_.BroadcastTermination(); });
                    FlushAll();
                    ConfirmQuit();
                }
            },
            [&](const request::Send& send) {
                Apply([&] { core_.SendToClient(send.id, send.payload); });
            },
            [&](const request::Refuse& refuse) {
                Apply([&] { core_.Refuse(refuse.id, refuse.logText, refuse.clientText); });
            },
            [&](const request::Close& close) { Apply([&] { core_.CloseConnection(close.id); }); },
        },
        request);
}

void ChatServer::ConfirmQuit() {
    process_.QuitRequested.store(true);
    observer_.QuitConfirmed();
}

template <typename Rule>
void ChatServer::Apply(Rule&& rule) {
    std::vector<Action> actions;
    {
        std::lock_guard lock(mutex_);
        rule();
        actions = core_.TakeActions();
        RaiseTo(process_.ServerVersion, core_.state().serverVersion);
    }
    Execute(actions);
    FlushDirty();
    while (!broken_.empty()) {
        const ConnectionId id = broken_.front();
        broken_.erase(broken_.begin());
        {
            std::lock_guard lock(mutex_);
            core_.SendFailed(id);
            actions = core_.TakeActions();
        }
        Execute(actions);
        FlushDirty();
    }
}

void ChatServer::Execute(std::vector<Action>& actions) {
    for (Action& next : actions) {
        std::visit(Overloaded{
                       [&](action::Send& send) { Deliver(send); },
                       [&](action::Close& close) {
                           if (auto it = connections_.find(close.id); it != connections_.end()) {
                               BeginClose(it->first, it->second);
                           }
                       },
                       [&](action::Log& log) {
                           if (log_ != nullptr) {
                               log_->LogEvent(log.isError, log.text);
                           }
                       },
                       [&](action::ServerLine& line) {
                           observer_.ShowServerLine(line.target, std::move(line.text));
                       },
                       [&](action::ClearOperatorInput&) { observer_.ClearOperatorInput(); },
                       [&](action::StartVersionPush& push) {
                           if (bootstrap_ != nullptr) {
                               bootstrap_->StartVersionPush(std::move(push.request));
                           }
                       },
                       [&](action::SendStickyTopics& topics) {
                           if (bootstrap_ != nullptr) {
                               bootstrap_->SendStickyTopics(topics.id, topics.fileServerOff);
                           }
                       },
                   },
                   next);
    }
}

void ChatServer::Deliver(const action::Send& send) {
    auto it = connections_.find(send.to);
    if (it == connections_.end() || it->second.closing || it->second.dead) {
        return;
    }
    if (it->second.output.empty()) {
        dirty_.push_back(send.to);
    }
    it->second.output.Push(send.frame, clock_.Now());
}

void ChatServer::FlushDirty() {
    const SteadyTime now = clock_.Now();
    for (const ConnectionId id : dirty_) {
        auto it = connections_.find(id);
        if (it == connections_.end() || it->second.dead || it->second.output.empty()) {
            continue;
        }
        OutputQueue& output = it->second.output;
        const OutputQueue::Result result = output.Flush(id, now);
        if (result == OutputQueue::Result::Failed ||
            (result == OutputQueue::Result::Pending && output.bytes() > limits_.maxQueuedBytes)) {
            MarkBroken(id);
        }
    }
    dirty_.clear();
}

void ChatServer::MarkBroken(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end() || it->second.dead) {
        return;
    }
    Connection& connection = it->second;
    connection.dead = true;
    transport_.NetCloseConnection(id);
    if (connection.sink) {
        connection.sink->Finish(false);
        connection.sink.reset();
    }
    if (!connection.closing) {
        broken_.push_back(id);
    }
}

void ChatServer::BeginClose(ConnectionId id, Connection& connection) {
    if (connection.closing || connection.dead) {
        return;
    }
    connection.closing = true;
    const SteadyTime now = clock_.Now();
    connection.closeBy = now + limits_.closeLinger;
    if (connection.sink) {
        connection.sink->Finish(false);
        connection.sink.reset();
    }
    if (connection.output.Flush(id, now) == OutputQueue::Result::Failed) {
        connection.dead = true;
        transport_.NetCloseConnection(id);
    }
}

void ChatServer::FlushAll() {
    const SteadyTime now = clock_.Now();
    for (auto& [id, connection] : connections_) {
        if (connection.dead || connection.output.empty()) {
            continue;
        }
        const OutputQueue::Result result = connection.output.Flush(id, now);
        const bool stalled = result == OutputQueue::Result::Pending &&
                             (connection.output.bytes() > limits_.maxQueuedBytes ||
                              now - connection.output.lastProgress() > limits_.sendStallLimit);
        if (result == OutputQueue::Result::Failed || stalled) {
            MarkBroken(id);
        }
    }
    Apply([] {});  // reports the broken connections found here to the rules
}

void ChatServer::FinishClosing() {
    const SteadyTime now = clock_.Now();
    for (auto& [id, connection] : connections_) {
        if (!connection.closing || connection.dead) {
            continue;
        }
        if (connection.output.empty() && !connection.writeShut) {
            // The peer sees the end of the stream after the last frame and closes its side.
            ::shutdown(id, SHUT_WR);
            connection.writeShut = true;
        }
        if (now >= connection.closeBy) {
            connection.dead = true;
            transport_.NetCloseConnection(id);
        }
    }
    std::erase_if(connections_, [](const auto& entry) { return entry.second.dead; });
}

void ChatServer::FlushBeforeStop() {
    const SteadyTime until = clock_.Now() + limits_.stopFlushLimit;
    for (;;) {
        bool pending = false;
        const SteadyTime now = clock_.Now();
        for (auto& [id, connection] : connections_) {
            if (!connection.dead && !connection.output.empty() &&
                connection.output.Flush(id, now) == OutputQueue::Result::Pending) {
                pending = true;
            }
        }
        if (!pending || clock_.Now() >= until) {
            return;
        }
        std::this_thread::sleep_for(kBacklogRetry);
    }
}

}  // namespace talvoro::server
