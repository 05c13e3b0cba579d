#pragma once
// The chat server thread: owns the listening socket and every client connection, waits for
// activity without spinning (the wait ends at the next deadline: keep-alive, logon deadline,
// queued output), reads frames, applies the server rules (ServerCore) under the server lock and
// carries out what they ask. Sends never block the thread: output that a client does not take
// stays queued, and a client whose queue stops moving is dropped as a broken connection.
//
// One pass of the loop waits once (poll on the wake-up event, the listener and every connection),
// then carries out the queued requests, reads each ready connection once and accepts what is
// pending: a busy client cannot starve the others. Clients below this build's version get the
// program pushed by a task beside the server thread (bootstrap_tasks.h).
//
// Threads: construct, Start and destroy on the GUI thread. The methods marked "any thread" queue a
// request and wake the server thread; they never touch a socket or the rules themselves. The
// observer is called on the server thread (see server_observer.h).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/process_state.h"
#include "net/listener.h"
#include "net/socket.h"
#include "server/bootstrap_tasks.h"
#include "server/connection_ids.h"
#include "server/inbound_stream.h"
#include "server/output_queue.h"
#include "server/request_inbox.h"
#include "server/server_core.h"
#include "server/server_observer.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::server {

struct ServerLimits {
    // Output queued for one client beyond what its socket holds; more counts as a broken client.
    std::size_t maxQueuedBytes = 1U << 20U;
    // Queued output that makes no progress for this long counts as a broken client.
    std::chrono::milliseconds sendStallLimit{5000};
    // A closed connection gets this long to take its last frames (a refusal, a kick notice).
    std::chrono::milliseconds closeLinger{2000};
    // Stop() waits at most this long for queued output to go out.
    std::chrono::milliseconds stopFlushLimit{500};
    std::chrono::seconds logonDeadline{60};
    // The shortest keep-alive cycle; a shorter "KeepAliveCycleTime" is raised to it.
    std::chrono::seconds keepAliveCycleMin{kKeepAliveCycleMin};
    // Connections held open at once (named, unnamed and those being refused or updated); while
    // this many are open, new ones wait in the listen queue.
    std::size_t maxOpenConnections = 254;
    // The id handed out before the first connection's (tests start near the wrap).
    ConnectionId lastId = 0;
    // The version push: what is sent and how the client's file server is reached.
    BootstrapConfig bootstrap;
};

class ChatServer {
  public:
    // `process`, `log` (may be null) and `observer` must outlive the server. The "Host" and
    // "UserName" settings are read here: the server name in refusals and notices, and the sender
    // named in a pushed update.
    ChatServer(app::ProcessState& process, app::EventLog* log, ServerObserver& observer,
               ServerLimits limits = {});
    ~ChatServer();  // Stop()

    ChatServer(const ChatServer&) = delete;
    ChatServer& operator=(const ChatServer&) = delete;

    // GUI thread, once. Listens on `port` (0: the system picks, see Port) at `bindAddress` (dotted
    // IPv4; null: every address), sets ServerRunning and starts the server thread, whose first act
    // is the line "** Talvoro server created on port N". Returns false when the listening socket
    // cannot be created; the caller then shows "Talvoro: Network Error" with "Server thread could
    // not be created!\n\nMaybe another server is already running." and ends with exit status 13.
    bool Start(std::uint16_t port, const char* bindAddress = nullptr);

    // The port listened on; 0 before Start.
    std::uint16_t Port() const { return port_; }

    // GUI thread (the thread that called Start; never from an observer callback): ends the
    // bootstrap tasks and the server thread after giving queued output up to stopFlushLimit to go
    // out, then closes every connection and the listening socket. Idempotent; the destructor
    // calls it.
    void Stop();

    // Any thread, after the operator's own client has connected to this server and before it
    // sends its Logon: `clientFd` is that client's socket. Only this connection may kick, ban and
    // end the server; it gets no topic bootstrap and whispers to or from it are not traced. The
    // request is served before the frames read in the same pass, so it precedes the Logon.
    void SetOperatorConnection(int clientFd);

    // Any thread: the 71-second Heartbeat "#" to every client (the main thread's keep-alive).
    void BroadcastHeartbeat();
    // Any thread: stops the keep-alive timer; call after "KeepAlive" or "KeepAliveCycleTime"
    // changed, so that the next idle moment arms it with the new values.
    void StopKeepAlive();
    // Any thread: the operator wants to quit. With other clients connected the observer asks the
    // quit question; otherwise the quit is confirmed at once (QuitRequested, QuitConfirmed).
    void RequestQuit();

    // The server thread's Linux thread id while it runs (for CPU accounting); 0 otherwise.
    int ServerThreadId() const { return threadId_.load(); }

  private:
    struct Connection {
        Connection(net::Socket s, app::EventLog* log) : socket(std::move(s)), inbound(log) {}
        net::Socket socket;
        InboundStream inbound;
        OutputQueue output;
        std::unique_ptr<FileBlockSink> sink;  // the file block being received, if wanted
        bool closing = false;                 // the rules have let it go: flushing, then closing
        bool writeShut = false;
        bool dead = false;  // closed already; the entry is removed at the end of the pass
        SteadyTime closeBy{};
    };
    class StreamHandler;
    class TaskPort;

    void Wake();
    void Run();
    int WaitTimeoutMs();
    void WaitAndServe();
    void ReadFrom(ConnectionId id);
    void AcceptPending();
    void CloseSocket(Connection& connection);
    void ServeRequests();
    void Serve(const Request& request);
    void FlushAll();
    void FinishClosing();
    void FlushBeforeStop();

    void OnAccepted(net::Socket socket);
    void OnPeerClosed(ConnectionId id);
    void MarkBroken(ConnectionId id);
    void BeginClose(Connection& connection);
    void ConfirmQuit();

    template <typename Rule>
    void Apply(Rule&& rule);
    void Execute(std::vector<Action>& actions);
    void Deliver(const action::Send& send);
    void FlushDirty();

    app::ProcessState& process_;
    app::EventLog* log_;
    ServerObserver& observer_;
    const ServerLimits limits_;
    SystemClock clock_;

    std::mutex mutex_;  // the server lock: guards core_
    ServerCore core_;

    net::Listener listener_;
    net::Socket wake_;  // eventfd: a request is waiting, or Stop was called
    std::shared_ptr<RequestInbox> inbox_;
    std::unique_ptr<TaskPort> taskPort_;
    std::unique_ptr<BootstrapTasks> tasks_;
    ConnectionIds ids_;                               // server thread only
    std::map<ConnectionId, Connection> connections_;  // server thread only
    std::vector<ConnectionId> broken_;                // found while executing actions
    std::vector<ConnectionId> dirty_;                 // output queued since the last flush
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> threadId_{0};
    std::thread thread_;
};

}  // namespace talvoro::server
