#pragma once
// The tasks that run beside the server thread for a newcomer: the version push of an outdated
// client and the sticky topics' text for an admitted one. A task reaches the server only through
// BootstrapPort, whose calls queue requests for the server thread, so the server thread never waits
// for a task. A task addresses its client by id; ids are not reused while it may run
// (connection_ids.h), so a late frame from a task goes nowhere rather than to a newer user.
//
// Threads: Start* and StopAll on the server thread (StopAll also from the thread that stops the
// server, once the server thread has ended); the tasks on threads of their own.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "net/socket.h"
#include "server/outbox.h"

namespace talvoro::server {

struct BootstrapConfig {
    // The program pushed to outdated clients: the running executable.
    std::string executablePath = "/proc/self/exe";
    // Connecting to a client's file server: attempts, the pause after each failed one but the
    // last, and the bound of one attempt.
    int connectAttempts = 21;
    std::chrono::milliseconds retryPause{100};
    int connectTimeoutMs = 2000;
    // The pause between a file header and its file block, and after the block.
    std::chrono::milliseconds settlePause{200};
    // Where sticky topics are saved and packed ("TopicsTemp/" in the data directory); each
    // newcomer gets a folder of its own there, removed when its task ends.
    std::string topicsDir;
};

// `config` with its topics folder in `dataDir` unless one is set already.
BootstrapConfig WithTopicsDir(BootstrapConfig config, const std::string& dataDir);

// What a task may ask of the server. Any thread; every call only queues a request.
class BootstrapPort {
  public:
    virtual ~BootstrapPort() = default;
    // The port of the clients' file servers: the chat port.
    virtual std::uint16_t FileServerPort() const = 0;
    virtual void SendToClient(ConnectionId id, std::string payload) = 0;
    virtual void Refuse(ConnectionId id, std::string logText, std::string clientText) = 0;
    virtual void CloseConnection(ConnectionId id) = 0;
    // A server line, an event-log line or a server notice for the operator.
    virtual void Report(Action action) = 0;
    // Task thread, blocking for a bounded time: the sticky topics' text packed in `workDir`
    // (ServerObserver::PackStickyTopics).
    virtual TopicPack PackStickyTopics(const StickyTopicsRequest& request,
                                       const std::string& workDir) = 0;
};

// Sleeps for `pause`; false when `stop` was requested meanwhile.
bool PauseFor(std::chrono::milliseconds pause, const std::stop_token& stop);

// A connection to the file server at `address` (on `port`), tried config.connectAttempts times;
// an invalid socket when none succeeded or `stop` was requested.
net::Socket ConnectToFileServer(const std::string& address, const BootstrapConfig& config,
                                std::uint16_t port, const std::stop_token& stop);

class BootstrapTasks {
  public:
    BootstrapTasks(BootstrapPort& port, BootstrapConfig config)
        : port_(port), config_(std::move(config)) {}
    ~BootstrapTasks() { StopAll(); }

    BootstrapTasks(const BootstrapTasks&) = delete;
    BootstrapTasks& operator=(const BootstrapTasks&) = delete;

    // Starts the version push for `request` on a thread of its own and returns at once.
    void StartVersionPush(VersionPushRequest request);
    // Starts sending the sticky topics' text of `request` on a thread of its own.
    void StartStickyTopics(StickyTopicsRequest request);

    // Asks every task to stop (their pauses end at once) and waits for them.
    void StopAll();

  private:
    struct Task {
        std::atomic<bool> done{false};
        std::jthread thread;
    };
    void ReapFinished();
    template <typename Body>
    void Launch(Body body);

    BootstrapPort& port_;
    const BootstrapConfig config_;
    std::list<std::unique_ptr<Task>> tasks_;
};

}  // namespace talvoro::server
