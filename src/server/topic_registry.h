#pragma once
// The topics open on the server, in tab order, as the server learns them from the TopicOpen and
// TopicClose frames it relays. A client that joins later is told these topics, so that its tabs
// stand where everybody else's stand. Like every client, the registry holds at most three topics
// and ignores a close for a position that names none.
//
// Thread: the thread that runs the server rules (under the server lock), like ServerState.

#include <cstdint>
#include <string>
#include <vector>

namespace talvoro::server {

struct ServerTopic {
    std::int32_t owner = 0;  // client id of the spawner; 0 once the spawner has left
    std::string title;
    bool sticky = false;
    std::int32_t spawned = 0;  // date value

    bool operator==(const ServerTopic&) const = default;
};

class TopicRegistry {
  public:
    static constexpr int kMaxTopics = 3;

    const std::vector<ServerTopic>& Topics() const { return topics_; }
    bool Full() const { return static_cast<int>(topics_.size()) >= kMaxTopics; }
    // The topic at tab position `position` (1 = the first topic), null when there is none.
    const ServerTopic* At(int position) const;

    // Appends a spawned topic; false (nothing changes) when three exist already.
    bool Open(ServerTopic topic);
    // Removes the topic at `position`; false when there is none.
    bool Close(int position);
    // Every topic of `owner` gets owner 0.
    void OwnerLeft(std::int32_t owner);

  private:
    std::vector<ServerTopic> topics_;
};

}  // namespace talvoro::server
