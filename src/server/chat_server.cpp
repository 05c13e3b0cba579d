#include "server/chat_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>

#include "app/event_log.h"
#include "net/connection.h"
#include "server/socket_endpoint.h"

namespace talvoro::server {

namespace {

constexpr int kMaxAcceptsPerPass = 64;
// One read per ready connection and pass takes up to this much (many frames at once).
constexpr std::size_t kReadSize = 64 * 1024;
// While output waits for a slow reader the loop looks again this often. Waiting for input only
// (not for writability) lets output gather into fewer, larger sends when receivers lag.
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

// The bootstrap tasks' way into the server: every call is a request in the inbox.
class ChatServer::TaskPort final : public BootstrapPort {
  public:
    TaskPort(std::weak_ptr<RequestInbox> inbox, std::uint16_t& port, ServerObserver& observer)
        : inbox_(std::move(inbox)), port_(port), observer_(observer) {}

    std::uint16_t FileServerPort() const override { return port_; }
    void SendToClient(ConnectionId id, std::string payload) override {
        Push(request::Send{id, std::move(payload)});
    }
    void Refuse(ConnectionId id, std::string logText, std::string clientText) override {
        Push(request::Refuse{id, std::move(logText), std::move(clientText)});
    }
    void CloseConnection(ConnectionId id) override { Push(request::Close{id}); }
    void Report(Action action) override { Push(request::Report{std::move(action)}); }
    TopicPack PackStickyTopics(const StickyTopicsRequest& request,
                               const std::string& workDir) override {
        return observer_.PackStickyTopics(request, workDir);
    }

  private:
    void Push(Request request) {
        if (const std::shared_ptr<RequestInbox> inbox = inbox_.lock()) {
            inbox->Push(std::move(request));
        }
    }

    std::weak_ptr<RequestInbox> inbox_;
    const std::uint16_t& port_;  // set by Start before any task runs
    ServerObserver& observer_;
};

ChatServer::ChatServer(app::ProcessState& process, app::EventLog* log, ServerObserver& observer,
                       ServerLimits limits)
    : process_(process),
      log_(log),
      observer_(observer),
      limits_(std::move(limits)),
      core_(process.settings, clock_,
            ServerConfig{process.settings.Host, process.settings.UserName, limits_.logonDeadline,
                         limits_.keepAliveCycleMin}),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      inbox_(std::make_shared<RequestInbox>([this] { Wake(); })),
      taskPort_(std::make_unique<TaskPort>(inbox_, port_, observer_)),
      tasks_(std::make_unique<BootstrapTasks>(*taskPort_,
                                              WithTopicsDir(limits_.bootstrap, process.DataDir))),
      ids_(limits_.lastId) {}

ChatServer::~ChatServer() {
    Stop();
}

bool ChatServer::Start(std::uint16_t port, const char* bindAddress) {
    if (thread_.joinable()) {
        return true;
    }
    if (!wake_.valid() || !listener_.Listen(port, bindAddress)) {
        return false;
    }
    port_ = listener_.LocalPort();
    process_.ServerRunning.store(true);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void ChatServer::Stop() {
    if (thread_.joinable()) {
        stopping_.store(true);
        Wake();
        thread_.join();
    }
    inbox_->Close();
    tasks_->StopAll();
}

void ChatServer::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_.fd(), &one, sizeof one);
}

void ChatServer::SetOperatorConnection(int clientFd) {
    PeerEndpoint local = LocalEndpointOf(clientFd);
    if (!local.address.empty()) {
        inbox_->Push(request::SetOperator{std::move(local)});
    }
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

// ---- the server thread ----

void ChatServer::Run() {
    threadId_.store(static_cast<int>(::syscall(SYS_gettid)));
    Apply([&] { core_.Started(port_); });
    while (!stopping_.load()) {
        WaitAndServe();
        if (stopping_.load()) {
            break;
        }
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
    listener_.Close();
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

void ChatServer::WaitAndServe() {
    // The one wait of the pass: the wake-up event, the listener while there is room, and every
    // connection.
    std::vector<pollfd> watched;
    std::vector<ConnectionId> ids;
    watched.reserve(connections_.size() + 2);
    ids.reserve(connections_.size());
    const bool canAccept = connections_.size() < limits_.maxOpenConnections;
    watched.push_back(pollfd{wake_.fd(), POLLIN, 0});
    watched.push_back(pollfd{canAccept ? listener_.fd() : -1, POLLIN, 0});
    for (const auto& [id, connection] : connections_) {
        if (!connection.dead) {
            watched.push_back(pollfd{connection.socket.fd(), POLLIN, 0});
            ids.push_back(id);
        }
    }
    const int ready = ::poll(watched.data(), watched.size(), WaitTimeoutMs());
    if (ready > 0 && watched[0].revents != 0) {
        std::uint64_t drained = 0;
        [[maybe_unused]] const ssize_t n = ::read(wake_.fd(), &drained, sizeof drained);
    }
    // Requests first: the operator's registration precedes the Logon read in the same pass.
    ServeRequests();
    if (ready <= 0) {
        return;
    }
    // Each ready connection is read once.
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if ((watched[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            ReadFrom(ids[i]);
        }
    }
    if ((watched[1].revents & POLLIN) != 0) {
        AcceptPending();
    }
}

void ChatServer::ReadFrom(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end() || it->second.dead) {
        return;
    }
    Connection& connection = it->second;
    std::array<std::uint8_t, kReadSize> buffer;
    const long n = net::NetReceive(connection.socket.fd(), buffer);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
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
    for (int i = 0; i < kMaxAcceptsPerPass && connections_.size() < limits_.maxOpenConnections;
         ++i) {
        net::Socket socket = listener_.Accept();
        if (!socket.valid()) {
            return;
        }
        OnAccepted(std::move(socket));
    }
}

void ChatServer::CloseSocket(Connection& connection) {
    connection.dead = true;
    connection.socket.reset();
}

void ChatServer::OnAccepted(net::Socket socket) {
    const PeerEndpoint peer = PeerEndpointOf(socket.fd());
    const ConnectionId id =
        ids_.Next([this](ConnectionId candidate) { return connections_.contains(candidate); });
    connections_.try_emplace(id, std::move(socket), log_);
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
    CloseSocket(connection);
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
            [&](const request::SetOperator& set) {
                Apply([&] { core_.SetOperatorPeer(set.peer); });
            },
            [&](const request::Report& report) {
                std::vector<Action> actions{report.action};
                Execute(actions);
            },
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
                               BeginClose(it->second);
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
                       [&](action::ServerNotice& notice) {
                           observer_.ShowServerNotice(std::move(notice.text));
                       },
                       [&](action::ClearOperatorInput&) { observer_.ClearOperatorInput(); },
                       [&](action::StartVersionPush& push) {
                           tasks_->StartVersionPush(std::move(push.request));
                       },
                       [&](action::StartStickyTopics& sticky) {
                           tasks_->StartStickyTopics(std::move(sticky.request));
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
    // The operator's own connection is written last. Its reader is this process's GUI thread:
    // the write wakes it on this CPU, where it would take over from the rest of the fan-out for
    // as long as it then spends drawing, a millisecond and more.
    ConnectionId operatorId = 0;
    {
        std::lock_guard lock(mutex_);
        operatorId = core_.state().operatorId;
    }
    if (auto it = std::ranges::find(dirty_, operatorId); it != dirty_.end()) {
        std::rotate(it, it + 1, dirty_.end());
    }
    const SteadyTime now = clock_.Now();
    for (const ConnectionId id : dirty_) {
        auto it = connections_.find(id);
        if (it == connections_.end() || it->second.dead || it->second.output.empty()) {
            continue;
        }
        OutputQueue& output = it->second.output;
        const OutputQueue::Result result = output.Flush(it->second.socket.fd(), now);
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
    CloseSocket(connection);
    if (connection.sink) {
        connection.sink->Finish(false);
        connection.sink.reset();
    }
    if (!connection.closing) {
        broken_.push_back(id);
    }
}

void ChatServer::BeginClose(Connection& connection) {
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
    if (connection.output.Flush(connection.socket.fd(), now) == OutputQueue::Result::Failed) {
        CloseSocket(connection);
    }
}

void ChatServer::FlushAll() {
    const SteadyTime now = clock_.Now();
    for (auto& [id, connection] : connections_) {
        if (connection.dead || connection.output.empty()) {
            continue;
        }
        const OutputQueue::Result result = connection.output.Flush(connection.socket.fd(), now);
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
            ::shutdown(connection.socket.fd(), SHUT_WR);
            connection.writeShut = true;
        }
        if (now >= connection.closeBy) {
            CloseSocket(connection);
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
                connection.output.Flush(connection.socket.fd(), now) ==
                    OutputQueue::Result::Pending) {
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
