#pragma once
// The sending side of a file transfer: one file to one user or to every member of the private
// group. Each recipient gets a FileHeader frame and the file as one file block, on a connection
// of its own to the recipient's file server, or on the chat connection when the recipient is the
// server's own user. A worker thread does the sending, so neither the sender's chat nor its
// window waits for a transfer; what it shows goes through TransferEvents.

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "net/client_session.h"
#include "transfer/transfer_events.h"
#include "transfer/transfer_names.h"

namespace talvoro::transfer {

struct Recipient {
    std::string name;
    std::string address;
    bool operator==(const Recipient&) const = default;
};

// The recipient list "name\naddress\n" repeated, up to the first empty name.
std::vector<Recipient> ParseRecipients(std::string_view list);

// The requester's subject: "[Group]" for a group transfer (count > 0), else the first name.
std::string RequesterSubject(std::string_view list, int groupCount);

enum class SendCheck { Ok, NothingToSend, TooLarge };

// Before any connection: nothing to send (no file chosen, no first recipient, unreadable file) or
// a file larger than kMaxFileSize (a file of exactly that size is sent).
SendCheck CheckSend(const std::string& path, const std::vector<Recipient>& recipients);

struct SendJob {
    std::vector<Recipient> recipients;
    std::string path;        // the chosen file, as the file system names it
    std::string shownPath;   // the same as Windows-1252 text for lines and header; empty: path
    std::string ownName;     // the sender name in the FileHeader
    std::string serverName;  // the server's own user, reached over the chat connection
    std::uint16_t port = 0;  // the recipients' file servers listen on the chat port
    int connectTimeoutMs = 10000;
    int headerPauseMs = 200;              // between the FileHeader and the file block
    std::string localAddress;             // tests: the own end of direct connections; empty: any
    std::function<std::int32_t()> clock;  // date value; empty: the wall clock
};

// Sends the job's file to each recipient in turn on the calling thread. The first recipient that
// cannot be reached ends the job silently; later ones are skipped. `link` carries the server's
// own user's file; `stop` ends the job between recipients. Returns how many recipients got the
// whole file.
int RunSend(const SendJob& job, net::ServerLink& link, TransferEvents& events,
            std::stop_token stop = {});

// Runs one RunSend at a time on a thread of its own.
// Thread: Start, Running and the destructor on the owner's thread (the GUI thread).
class SendWorker {
  public:
    SendWorker(net::ServerLink& link, TransferEvents& events) : link_(link), events_(events) {}
    ~SendWorker();  // asks a running job to stop after the current recipient and waits for it
    SendWorker(const SendWorker&) = delete;
    SendWorker& operator=(const SendWorker&) = delete;

    // Starts `job` unless one is still running (then false, nothing done).
    bool Start(SendJob job);
    bool Running() const { return running_.load(); }

  private:
    net::ServerLink& link_;
    TransferEvents& events_;
    std::atomic<bool> running_{false};
    std::jthread thread_;
};

}  // namespace talvoro::transfer
