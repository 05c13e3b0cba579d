#include "ui/operator_observer.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>

#include "chat/archive_file.h"
#include "chat/chat_ids.h"
#include "transfer/topic_pack.h"

namespace talvoro::ui {

namespace {

// What a bootstrap task and the GUI thread share about one save; whichever ends last frees it.
struct SaveExchange {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    bool abandoned = false;  // the task stopped waiting: the GUI thread saves nothing
    std::vector<std::string> files;
};

std::string PlainTitle(std::string title) {
    std::ranges::replace(title, '/', '_');
    return title;
}

// Packs `files` (in `dir`) into one pack there, removing each file once packed.
server::TopicPack Pack(const std::string& dir, server::ConnectionId id,
                       const std::vector<std::string>& files) {
    server::TopicPack pack{dir + "_#_" + std::to_string(id) + "_#_.kwp", {}, {}};
    transfer::PackWriter writer(pack.path);
    bool sound = true;
    for (const std::string& file : files) {
        const std::string path = dir + file;
        sound = writer.Add(path) && sound;
        ::unlink(path.c_str());
        pack.names += file + "\n";
    }
    if (!writer.Finish() || !sound) {
        ::unlink(pack.path.c_str());
        return server::TopicPack{{}, {}, "the pack could not be written"};
    }
    return pack;
}

}  // namespace

std::vector<std::string> SaveStickyTopics(chat::ChatContext& ctx, const std::string& dir,
                                          const std::vector<server::StickyTopic>& topics) {
    std::vector<std::string> saved;
    for (const server::StickyTopic& topic : topics) {
        const bool isTopic = topic.position >= 1 && topic.position <= ctx.topics.TopicCount();
        const chat::TopicRecord* record = ctx.topics.AtTab(topic.position);
        if (!isTopic || record == nullptr || record->title != topic.title || !record->sticky ||
            ctx.text.Document(record->view).Empty()) {
            continue;
        }
        std::string name = std::to_string(chat::kFirstTopicView + topic.position - 1) +
                           PlainTitle(record->title) + ".rtf";
        if (chat::WriteArchive(dir + name, ctx.text.Document(record->view))) {
            saved.push_back(std::move(name));
        }
    }
    return saved;
}

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

void OperatorObserver::ShowServerNotice(std::string text) {
    gui_.Post([this, text = std::move(text)] {
        if (attached_ && handlers_.showNotice) {
            handlers_.showNotice(text);
        }
    });
}

server::TopicPack OperatorObserver::PackStickyTopics(const server::StickyTopicsRequest& request,
                                                     const std::string& workDir) {
    auto exchange = std::make_shared<SaveExchange>();
    gui_.Post([this, exchange, workDir, topics = request.topics] {
        {
            std::lock_guard lock(exchange->mutex);
            if (exchange->abandoned) {
                return;
            }
        }
        // A task that gives up while this runs removes its folder: the writes then fail, or a
        // file is left there until a task for the same id (ids are not reused soon) clears it.
        std::vector<std::string> files;
        if (attached_ && handlers_.saveStickyTopics) {
            files = handlers_.saveStickyTopics(workDir, topics);
        }
        std::lock_guard lock(exchange->mutex);
        exchange->files = std::move(files);
        exchange->done = true;
        exchange->answered.notify_all();
    });
    std::vector<std::string> files;
    {
        std::unique_lock lock(exchange->mutex);
        if (!exchange->answered.wait_for(lock, saveWait_, [&] { return exchange->done; })) {
            exchange->abandoned = true;
            return server::TopicPack{{}, {}, "the window did not save them in time"};
        }
        files = std::move(exchange->files);
    }
    if (files.empty()) {
        return {};
    }
    return Pack(workDir, request.id, files);
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
