#pragma once
// What the server rules ask the I/O side to do, in the order they asked: send a frame to a
// connection, close a connection, write an event-log line, show a server line or notice to the
// operator, empty the operator's input line, hand an outdated client to the version push, or a
// newcomer to the sticky-topic bootstrap.
// The rules never touch a socket; the I/O loop carries the actions out in order.
//
// Threads: an Outbox belongs to the thread that runs the rules (the server thread, or a test).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace talvoro::server {

// A connection's handle and the client id that names the user on the wire: positive, and not
// reused for a long time (connection_ids.h).
using ConnectionId = std::int32_t;

// Where a server line goes in the operator's window: the "Main" view or the tab now selected.
enum class LineTarget { MainView, CurrentTab };

// Everything the version push needs about an outdated client, as its own copy.
struct VersionPushRequest {
    ConnectionId id = 0;
    std::string name;
    std::string address;
    std::string versionText;     // the client's version as "1.5.5.0"
    bool fileServerOff = false;  // the last field of its Logon was not 0
    std::string senderName;      // the operator's user name: the sender of the update

    bool operator==(const VersionPushRequest&) const = default;
};

// A sticky topic of the server's tab order: its tab position (1 = the first topic) and title.
struct StickyTopic {
    int position = 0;
    std::string title;

    bool operator==(const StickyTopic&) const = default;
};

// A newly admitted client whose file server runs, and the sticky topics whose text it should get.
struct StickyTopicsRequest {
    ConnectionId id = 0;
    std::string address;
    std::vector<StickyTopic> topics;

    bool operator==(const StickyTopicsRequest&) const = default;
};

// The sticky topics' text saved and packed for one newcomer: the pack file and the names of its
// entries, one line each (the file header's file name). No path: nothing to send, and `fault`
// says why when that is an error.
struct TopicPack {
    std::string path;
    std::string names;
    std::string fault;
};

namespace action {

// Queue `frame` (enciphered bytes, shared by all recipients of one broadcast) for `to`.
struct Send {
    ConnectionId to = 0;
    std::shared_ptr<const std::string> frame;
};
// Send what is queued for `id`, then close it. The rules have already forgotten the connection.
struct Close {
    ConnectionId id = 0;
};
struct Log {
    bool isError = false;
    std::string text;
};
struct ServerLine {
    LineTarget target = LineTarget::MainView;
    std::string text;
};
// The last important server message, for the operator's status bar.
struct ServerNotice {
    std::string text;
};
struct ClearOperatorInput {};
struct StartVersionPush {
    VersionPushRequest request;
};
struct StartStickyTopics {
    StickyTopicsRequest request;
};

}  // namespace action

using Action =
    std::variant<action::Send, action::Close, action::Log, action::ServerLine, action::ServerNotice,
                 action::ClearOperatorInput, action::StartVersionPush, action::StartStickyTopics>;

class Outbox {
  public:
    // Frames `payload` once and queues it for every recipient, in the given order. Returns false
    // and queues nothing when the payload cannot be framed (empty, or longer than 4093 bytes).
    bool Send(std::span<const ConnectionId> recipients, std::int8_t topic,
              std::string_view payload);
    bool Send(ConnectionId to, std::int8_t topic, std::string_view payload);

    void Close(ConnectionId id) { actions_.emplace_back(action::Close{id}); }
    void Log(bool isError, std::string text);
    void Line(LineTarget target, std::string text);
    void Add(Action action) { actions_.push_back(std::move(action)); }

    const std::vector<Action>& actions() const { return actions_; }
    bool empty() const { return actions_.empty(); }

    // Hands over everything queued so far and starts empty.
    std::vector<Action> Take();

  private:
    std::vector<Action> actions_;
};

}  // namespace talvoro::server
