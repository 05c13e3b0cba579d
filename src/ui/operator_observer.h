#pragma once
// What the server thread shows to the operator of this process's own server: server lines and
// notices, the cleared input line after kick and ban, the quit question and the confirmed quit;
// and the sticky topics' text that a bootstrap task asks for, saved on the GUI thread and packed
// on the task's thread. The server
// calls it on the server thread; every call is handed to the GUI thread through the GUI queue and
// carried out there by the handlers the run loop attaches. Lines that arrive before the main
// window exists are kept and shown once the handlers are attached.
//
// Threads: construct, Attach and Detach on the GUI thread; the ServerObserver methods on any
// thread. The observer must outlive the server and the work it posted (both end on the GUI
// thread before it is destroyed).

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "chat/chat_context.h"
#include "chat/gui_queue.h"
#include "server/server_observer.h"

namespace talvoro::ui {

struct OperatorHandlers {
    std::function<void(server::LineTarget target, const std::string& line)> showLine;
    std::function<void()> clearInput;
    // Must not block: the answer may come later, from the box's own signal.
    std::function<void(server::QuitAnswer answer)> askQuit;
    std::function<void()> quitConfirmed;
    // The last important server message, for the status bar's last field.
    std::function<void(const std::string& text)> showNotice;
    // Saves the operator's text of each of `topics` that holds any into `dir` (ending in "/") and
    // returns the file names written, in order (SaveStickyTopics).
    std::function<std::vector<std::string>(const std::string& dir,
                                           const std::vector<server::StickyTopic>& topics)>
        saveStickyTopics;
};

// Writes the view of each sticky topic of `topics` that still stands at its tab position with
// its title and holds text to `dir` as rich text. Each file is named after the view that a newly
// joined client shows the topic in (501 + position - 1), then the title (a "/" becomes "_"), then
// ".rtf". Returns the names written, in order. GUI thread.
std::vector<std::string> SaveStickyTopics(chat::ChatContext& ctx, const std::string& dir,
                                          const std::vector<server::StickyTopic>& topics);

class OperatorObserver : public server::ServerObserver {
  public:
    // `saveWait`: how long a bootstrap task waits for the GUI thread to save sticky topics.
    explicit OperatorObserver(chat::GuiQueue& gui,
                              std::chrono::milliseconds saveWait = std::chrono::seconds(5))
        : gui_(gui), saveWait_(saveWait) {}

    // GUI thread: from now on calls go to `handlers`; kept lines are shown at once.
    void Attach(OperatorHandlers handlers);
    // GUI thread: calls are kept again (lines) or answered as the safe default (the quit
    // question is answered Cancel) until the next Attach.
    void Detach();

    void ShowServerLine(server::LineTarget target, std::string line) override;
    void ShowServerNotice(std::string text) override;
    // Task thread: waits at most `saveWait` for the GUI thread's save, then packs on the caller's
    // thread; null (and an event-log line) when the GUI did not answer in time.
    server::TopicPack PackStickyTopics(const server::StickyTopicsRequest& request,
                                       const std::string& workDir) override;
    void ClearOperatorInput() override;
    void AskQuitQuestion(server::QuitAnswer answer) override;
    void QuitConfirmed() override;

    // GUI thread: where files sent to the operator go (null: they are discarded).
    using FileReceiver = std::function<std::unique_ptr<server::FileBlockSink>(
        const server::PendingFileHeader& header, std::uint64_t length)>;
    void SetFileReceiver(FileReceiver receiver);
    // Server thread.
    std::unique_ptr<server::FileBlockSink> OpenFileReceive(server::ConnectionId from,
                                                           const server::PendingFileHeader& header,
                                                           std::uint64_t length) override;

  private:
    std::mutex receiverMutex_;  // guards fileReceiver_ (GUI thread sets, server thread calls)
    FileReceiver fileReceiver_;
    chat::GuiQueue& gui_;
    const std::chrono::milliseconds saveWait_;
    bool attached_ = false;  // GUI thread
    OperatorHandlers handlers_;
    std::vector<std::pair<server::LineTarget, std::string>> keptLines_;
};

}  // namespace talvoro::ui
