#pragma once
// What the server thread shows to the operator of this process's own server: server lines, the
// cleared input line after kick and ban, the quit question and the confirmed quit. The server
// calls it on the server thread; every call is handed to the GUI thread through the GUI queue and
// carried out there by the handlers the run loop attaches. Lines that arrive before the main
// window exists are kept and shown once the handlers are attached.
//
// Threads: construct, Attach and Detach on the GUI thread; the ServerObserver methods on any
// thread. The observer must outlive the server and the work it posted (both end on the GUI
// thread before it is destroyed).

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "chat/gui_queue.h"
#include "server/server_observer.h"

namespace talvoro::ui {

struct OperatorHandlers {
    std::function<void(server::LineTarget target, const std::string& line)> showLine;
    std::function<void()> clearInput;
    // Must not block: the answer may come later, from the box's own signal.
    std::function<void(server::QuitAnswer answer)> askQuit;
    std::function<void()> quitConfirmed;
};

class OperatorObserver : public server::ServerObserver {
  public:
    explicit OperatorObserver(chat::GuiQueue& gui) : gui_(gui) {}

    // GUI thread: from now on calls go to `handlers`; kept lines are shown at once.
    void Attach(OperatorHandlers handlers);
    // GUI thread: calls are kept again (lines) or answered as the safe default (the quit
    // question is answered Cancel) until the next Attach.
    void Detach();

    void ShowServerLine(server::LineTarget target, std::string line) override;
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
    bool attached_ = false;  // GUI thread
    OperatorHandlers handlers_;
    std::vector<std::pair<server::LineTarget, std::string>> keptLines_;
};

}  // namespace talvoro::ui
