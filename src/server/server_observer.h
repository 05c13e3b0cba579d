#pragma once
// How the chat server reaches the operator and the rest of the program.
//
// Every ServerObserver method is called on the server thread, never with the server lock held.
// Implementations must not touch a widget there: they queue the work to the GUI thread (a queued
// invocation, or a queue the GUI drains) and return at once. They may call the cross-thread methods
// of ChatServer, which only queue requests.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "server/outbox.h"
#include "server/server_state.h"

namespace talvoro::server {

class RequestInbox;

// The answer to one quit question. Any thread may answer, once; copies share the question.
// An answer that arrives after the server has stopped is ignored.
class QuitAnswer {
  public:
    QuitAnswer() = default;
    explicit QuitAnswer(std::weak_ptr<RequestInbox> inbox) : inbox_(std::move(inbox)) {}

    // quit = true (OK): the server tells every client "** Server has been terminated!", sets
    // QuitRequested and calls ServerObserver::QuitConfirmed. quit = false (Cancel): nothing.
    void Answer(bool quit) const;

  private:
    std::weak_ptr<RequestInbox> inbox_;
};

// Receives one file block that a client sends to the operator over its chat connection.
class FileBlockSink {
  public:
    virtual ~FileBlockSink() = default;
    // Server thread: the next bytes of the block, in order.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // Server thread, once: all bytes arrived (true), or the connection ended first (false).
    virtual void Finish(bool complete) = 0;
};

class ServerObserver {
  public:
    virtual ~ServerObserver() = default;

    // A server line ("** ...") for the operator's "Main" view or the tab selected now.
    virtual void ShowServerLine(LineTarget target, std::string line) = 0;

    // The last important server message (a version push done), for the status bar's last field.
    // The default drops it.
    virtual void ShowServerNotice(std::string text) { static_cast<void>(text); }

    // Called on a bootstrap task's thread, not the server thread, and may block there for a
    // bounded time: saves the operator's text of each topic of `request` that holds any as rich
    // text in `workDir` (ending in "/", made for this request alone) and packs those files into
    // one pack there. No pack when nothing was saved, or (with a fault) when the text could not
    // be had in time or packed. The default has no text.
    virtual TopicPack PackStickyTopics(const StickyTopicsRequest& request,
                                       const std::string& workDir) {
        static_cast<void>(request);
        static_cast<void>(workDir);
        return {};
    }

    // A kick or ban command was handled: empty the operator's input line.
    virtual void ClearOperatorInput() = 0;

    // Other clients are connected and the operator asked to quit: show "Talvoro: Server
    // Reminder" ("All clients will be disconnected.\n\nDo you really want to quit?", OK and
    // Cancel, exclamation icon) without blocking the caller, and pass the user's choice to
    // `answer` from whichever thread learns it.
    virtual void AskQuitQuestion(QuitAnswer answer) = 0;

    // The quit is decided (confirmed, or nobody else was connected): every client has been told
    // and ProcessState::QuitRequested is set; the program should now shut down.
    virtual void QuitConfirmed() = 0;

    // A file block for the operator starts on `from`, announced by the last FileHeader on that
    // same connection (sender name and file name, which may be empty: the file name is used up
    // by one block). Return a sink for its `length` bytes, or null to discard them. The default
    // discards.
    virtual std::unique_ptr<FileBlockSink> OpenFileReceive(ConnectionId from,
                                                           const PendingFileHeader& header,
                                                           std::uint64_t length) {
        static_cast<void>(from);
        static_cast<void>(header);
        static_cast<void>(length);
        return nullptr;
    }
};

}  // namespace talvoro::server
