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

}  // namespace talvoro::ui
