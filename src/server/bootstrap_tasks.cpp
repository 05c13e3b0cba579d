#include "server/bootstrap_tasks.h"

#include "server/bootstrap_version_push.h"

namespace talvoro::server {

void BootstrapTasks::StartVersionPush(VersionPushRequest request) {
    ReapFinished();
    auto task = std::make_unique<Task>();
    Task& started = *task;
    tasks_.push_back(std::move(task));
    started.thread =
        std::jthread([this, &started, request = std::move(request)](std::stop_token stop) {
            RunVersionPush(request, config_, port_, stop);
            started.done.store(true);
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
