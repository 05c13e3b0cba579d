#include "server/bootstrap_tasks.h"

#include <condition_variable>
#include <mutex>

#include "net/connection.h"
#include "server/bootstrap_sticky_topics.h"
#include "server/bootstrap_version_push.h"

namespace talvoro::server {

BootstrapConfig WithTopicsDir(BootstrapConfig config, const std::string& dataDir) {
    if (config.topicsDir.empty()) {
        config.topicsDir = dataDir + "TopicsTemp/";
    }
    return config;
}

bool PauseFor(std::chrono::milliseconds pause, const std::stop_token& stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, pause, [] { return false; });
    return !stop.stop_requested();
}

net::Socket ConnectToFileServer(const std::string& address, const BootstrapConfig& config,
                                std::uint16_t port, const std::stop_token& stop) {
    for (int attempt = 1; attempt <= config.connectAttempts && !stop.stop_requested(); ++attempt) {
        net::Socket socket = net::NetOpenConnection(address, port, config.connectTimeoutMs);
        if (socket.valid()) {
            return socket;
        }
        if (attempt < config.connectAttempts && !PauseFor(config.retryPause, stop)) {
            break;
        }
    }
    return {};
}

template <typename Body>
void BootstrapTasks::Launch(Body body) {
    ReapFinished();
    auto task = std::make_unique<Task>();
    Task& started = *task;
    tasks_.push_back(std::move(task));
    started.thread = std::jthread([&started, body = std::move(body)](std::stop_token stop) {
        body(stop);
        started.done.store(true);
    });
}

void BootstrapTasks::StartVersionPush(VersionPushRequest request) {
    Launch([this, request = std::move(request)](const std::stop_token& stop) {
        RunVersionPush(request, config_, port_, stop);
    });
}

void BootstrapTasks::StartStickyTopics(StickyTopicsRequest request) {
    Launch([this, request = std::move(request)](const std::stop_token& stop) {
        RunStickyTopics(request, config_, port_, stop);
    });
}

void BootstrapTasks::StopAll() {
    for (auto& task : tasks_) {
        task->thread.request_stop();
    }
    tasks_.clear();  // joins
}

void BootstrapTasks::ReapFinished() {
    std::erase_if(tasks_, [](const std::unique_ptr<Task>& task) { return task->done.load(); });
}

}  // namespace talvoro::server
