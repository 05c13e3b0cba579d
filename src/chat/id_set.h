#pragma once
// A set of network ids (AwayList, RejectedList, RejectsMeList, NoFileReceiveList): membership
// test, add, test-and-remove and toggle. Order does not matter.
//
// Thread: like the model that holds it, GUI thread only.

#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace talvoro::chat {

class IdSet {
  public:
    bool Contains(std::int32_t id) const { return ids_.contains(id); }
    // Returns false when the id was already there.
    bool Add(std::int32_t id) { return ids_.insert(id).second; }
    // Removes the id; returns whether it was there.
    bool TestAndRemove(std::int32_t id) { return ids_.erase(id) > 0; }
    // Removes the id when it is there, else adds it; returns whether it is there now.
    bool Toggle(std::int32_t id) {
        if (TestAndRemove(id)) {
            return false;
        }
        Add(id);
        return true;
    }
    std::size_t Size() const { return ids_.size(); }
    bool Empty() const { return ids_.empty(); }
    void Clear() { ids_.clear(); }

  private:
    std::unordered_set<std::int32_t> ids_;
};

}  // namespace talvoro::chat
