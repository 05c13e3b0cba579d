#pragma once
// What file sends and receives show the user. The transfer code runs on worker, file-server and
// server threads; it reports through this interface, whose implementation hands everything to the
// GUI thread (chat/gui_queue.h) and returns at once. Tests record the calls.
//
// Thread: any thread; implementations must be safe to call from several threads at once.

#include <string>
#include <vector>

namespace talvoro::transfer {

// One saved sticky topic from the server: the rich text for the topic view numbered `view`.
struct TopicContent {
    int view = 0;
    std::string rtf;

    bool operator==(const TopicContent&) const = default;
};

class TransferEvents {
  public:
    virtual ~TransferEvents() = default;

    // A server line ("** ...") in the "Main" view, or in the tab selected now.
    virtual void ServerLine(std::string line, bool toCurrentTab) = 0;
    // The last status-bar field (the last important server message).
    virtual void LastServerMessage(std::string text) = 0;
    // A file arrived: the new-content handling of the run loop (raise, flash, tray).
    virtual void NewContent() = 0;
    // A file other than the update was stored at `path`: run the auto action (AutoActionTarget,
    // transfer/incoming_file.h) with the "AutoPlay" and "AutoOpen" settings of the GUI thread.
    virtual void FileArrived(std::string path) = 0;
    // A send worker started (true) or finished (false): "&Transfer to" follows it, and on the end
    // the away timer is reset.
    virtual void SendWorkerRunning(bool running) = 0;
    // The server's pack of sticky-topic contents arrived whole and sound: load each into the
    // view it names (a view that shows no topic is skipped).
    virtual void TopicContents(std::vector<TopicContent> contents) = 0;
};

}  // namespace talvoro::transfer
