#pragma once
// The tabs of the main window as a list of records: "Main" first, the spawned topics in tab
// order, "Private Group" last (kept in the list while its tab is hidden). A tab position equals
// the record position for every tab but a hidden "Private Group". Views of closed topics go to a
// pool and are taken again, last in first out, by the next spawned topic.
//
// Thread: GUI thread only. Positions from the wire are checked: a position that names no topic
// changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chat/chat_ids.h"

namespace talvoro::chat {

inline constexpr std::string_view kMainTitle = "Main";
inline constexpr std::string_view kPrivateTitle = "Private Group";

struct TopicRecord {
    std::int32_t owner = -1;   // network id of the spawner; -1 for Main and Private Group
    std::int32_t spawned = 0;  // date value
    std::string title;
    int view = kMainView;
    bool sticky = false;

    bool operator==(const TopicRecord&) const = default;
};

class TopicList {
  public:
    TopicList(bool privateVisible, std::int32_t now);

    const std::vector<TopicRecord>& Records() const { return records_; }
    int TopicCount() const { return static_cast<int>(records_.size()) - 2; }
    int TabCount() const { return TopicCount() + (privateVisible_ ? 2 : 1); }
    bool PrivateVisible() const { return privateVisible_; }
    void SetPrivateVisible(bool visible) { privateVisible_ = visible; }

    // The record shown at tab `position`, null when no tab is there.
    const TopicRecord* AtTab(int position) const;
    TopicRecord* AtTab(int position);
    // The tab position showing `view`, -1 when no tab shows it (a hidden private tab).
    int TabOfView(int view) const;
    // Whether any record (Main and Private Group included) has exactly this title.
    bool HasTitle(std::string_view title) const;
    // Every topic owned by `id` gets owner 0 (its owner left).
    void ClearOwner(std::int32_t id);

    // Inserts a topic just before "Private Group" and returns its tab position; its view comes
    // from the pool, else it is 500 + position. Nothing changes when three topics exist already.
    std::optional<int> InsertTopic(std::int32_t owner, std::string title, bool sticky,
                                   std::int32_t spawned);
    // Removes the topic at tab `position` (1..TopicCount) and puts its view into the pool.
    // Returns the removed record; nothing changes for any other position.
    std::optional<TopicRecord> RemoveTopic(int position);

  private:
    std::vector<TopicRecord> records_;
    std::vector<int> viewPool_;
    bool privateVisible_;
};

}  // namespace talvoro::chat
