#pragma once
// Requests that other threads hand to the server thread: each is a value pushed under the
// inbox's own lock, after which the server thread is woken to carry it out.
//
// Threads: Push from any thread; TakeAll from the server thread; Close from the thread that stops
// the server. Shared through std::shared_ptr so that a late answer (QuitAnswer) after the server
// has stopped is simply dropped.

#include <functional>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "server/client_table.h"
#include "server/outbox.h"

namespace talvoro::server {

namespace request {

struct Heartbeat {};
struct StopKeepAlive {};
struct Quit {};
struct QuitAnswer {
    bool quit = false;
};
struct Send {
    ConnectionId id = 0;
    std::string payload;
};
struct Refuse {
    ConnectionId id = 0;
    std::string logText;
    std::string clientText;
};
struct Close {
    ConnectionId id = 0;
};
// The operator's own client connects from `peer`.
struct SetOperator {
    PeerEndpoint peer;
};
// A line, log entry or notice from a bootstrap task.
struct Report {
    Action action;
};

}  // namespace request

using Request = std::variant<request::Heartbeat, request::StopKeepAlive, request::Quit,
                             request::QuitAnswer, request::Send, request::Refuse, request::Close,
                             request::SetOperator, request::Report>;

class RequestInbox {
  public:
    // `wake` makes the server thread look at the inbox; it is called under the inbox lock.
    explicit RequestInbox(std::function<void()> wake) : wake_(std::move(wake)) {}

    // Returns false (the request is dropped) once the inbox is closed.
    bool Push(Request request);

    std::vector<Request> TakeAll();

    // No more requests are taken and `wake` is never called again.
    void Close();

  private:
    std::mutex mutex_;
    std::vector<Request> requests_;
    std::function<void()> wake_;
    bool open_ = true;
};

}  // namespace talvoro::server
