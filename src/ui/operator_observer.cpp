#include "ui/operator_observer.h"

namespace talvoro::ui {

void OperatorObserver::Attach(OperatorHandlers handlers) {
    handlers_ = std::move(handlers);
    attached_ = true;
    std::vector<std::pair<server::LineTarget, std::string>> kept;
    kept.swap(keptLines_);
    for (const auto& [target, line] : kept) {
        if (handlers_.showLine) {
            handlers_.showLine(target, line);
        }
    }
}

void OperatorObserver::Detach() {
    attached_ = false;
    handlers_ = {};
}

void OperatorObserver::ShowServerLine(server::LineTarget target, std::string line) {
    gui_.Post([this, target, line = std::move(line)]() mutable {
        if (!attached_) {
            keptLines_.emplace_back(target, std::move(line));
        } else if (handlers_.showLine) {
            handlers_.showLine(target, line);
        }
    });
}

void OperatorObserver::ClearOperatorInput() {
    gui_.Post([this] {
        if (attached_ && handlers_.clearInput) {
            handlers_.clearInput();
        }
    });
}

void OperatorObserver::AskQuitQuestion(server::QuitAnswer answer) {
    gui_.Post([this, answer] {
        if (attached_ && handlers_.askQuit) {
            handlers_.askQuit(answer);
        } else {
            answer.Answer(false);
        }
    });
}

void OperatorObserver::QuitConfirmed() {
    gui_.Post([this] {
        if (attached_ && handlers_.quitConfirmed) {
            handlers_.quitConfirmed();
        }
    });
}

void OperatorObserver::SetFileReceiver(FileReceiver receiver) {
    std::lock_guard lock(receiverMutex_);
    fileReceiver_ = std::move(receiver);
}

std::unique_ptr<server::FileBlockSink> OperatorObserver::OpenFileReceive(
    server::ConnectionId from, const server::PendingFileHeader& header, std::uint64_t length) {
    static_cast<void>(from);
    std::lock_guard lock(receiverMutex_);  // the hub stays while this runs
    return fileReceiver_ ? fileReceiver_(header, length) : nullptr;
}

}  // namespace talvoro::ui
