#pragma once
// The file server of a plain client: a listener on the chat port, on a thread of its own, that
// takes files from other clients (a FileHeader frame, then a file block, on one connection) and
// from the server (the pushed version, sticky-topic contents). A would-be chat client that
// reaches it by mistake gets a polite Refusal naming the real server.
//
// The thread sleeps in one poll() per pass and wakes for connections, bytes, a
// stop request, or once a second to look at "FileServerHalt" and QuitRequested. Each connection
// keeps its own FileHeader and stream state, so several senders at once never mix up names.
// A receive that gets no bytes for `idleTimeoutMs` ends as incomplete and its connection closes.
//
// Thread: Start, Stop, Running and the destructor on the owner's thread (the GUI thread); every
// callback in FileServerSetup runs on the file server thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/settings.h"
#include "net/client_session.h"
#include "net/messages.h"
#include "server/server_observer.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::server {

struct FileServerSetup {
    std::uint16_t port = 0;      // the "Port" setting; 0 lets the system pick (tests)
    std::string bindAddress;     // tests: listen on this address only; empty: any
    std::string host;            // the "Host" setting, named in the refusal
    std::uint16_t hostPort = 0;  // the "Port" setting, named in the refusal
    // Dotted address of the server this client is logged on to: only its files may be the update.
    std::string serverAddress;
    app::EventLog* log = nullptr;                             // may be null
    net::ServerLink* link = nullptr;                          // FileReceiveStatus; may be null
    app::SharedField<std::int8_t>* fileServerHalt = nullptr;  // required
    const std::atomic<bool>* quitRequested = nullptr;         // may be null
    std::function<std::string()> timeText;                    // "hh:ii:ss" now; required
    std::function<void(std::string line)> showLine;           // a server line for "Main"
    // A file block of `length` bytes starts after `header`; `fromLoggedOnServer` tells whether
    // it came from `serverAddress`. Returns where its bytes go, or null to drop them.
    std::function<std::unique_ptr<FileBlockSink>(const net::FileHeader& header,
                                                 std::uint32_t length, bool fromLoggedOnServer)>
        beginFile;
    int idleTimeoutMs = 10000;
};

// The text of the Refusal a file server sends to a Logon.
std::string ClientOnlyRefusalText(const std::string& host, std::uint16_t port);

class FileServer {
  public:
    explicit FileServer(FileServerSetup setup);
    ~FileServer();  // stops the thread
    FileServer(const FileServer&) = delete;
    FileServer& operator=(const FileServer&) = delete;

    // Starts the thread unless it runs. It creates the listener, writes the created/could-not-
    // create line and tells the server whether this user receives files.
    void Start();
    // Ends the thread within one pass of its loop and waits for it; open receives end as
    // incomplete. The caller sets "FileServerHalt" and tells the server itself.
    void Stop();
    bool Running() const { return running_.load(); }
    // The port it listens on, once listening (0 before, or when it could not listen).
    std::uint16_t Port() const { return listeningPort_.load(); }

  private:
    class Loop;
    FileServerSetup setup_;
    std::atomic<bool> running_{false};
    std::atomic<std::uint16_t> listeningPort_{0};
    std::shared_ptr<Loop> loop_;
    std::thread thread_;
};

}  // namespace talvoro::server
