#include "chat/topic_list.h"

#include <algorithm>
#include <utility>

namespace talvoro::chat {

TopicList::TopicList(bool privateVisible, std::int32_t now) : privateVisible_(privateVisible) {
    records_.push_back(TopicRecord{-1, now, std::string(kMainTitle), kMainView, false});
    records_.push_back(TopicRecord{-1, now, std::string(kPrivateTitle), kPrivateView, false});
}

const TopicRecord* TopicList::AtTab(int position) const {
    if (position < 0 || position >= TabCount()) {
        return nullptr;
    }
    return &records_[static_cast<std::size_t>(position)];
}

TopicRecord* TopicList::AtTab(int position) {
    return const_cast<TopicRecord*>(std::as_const(*this).AtTab(position));
}

int TopicList::TabOfView(int view) const {
    for (int position = 0; position < TabCount(); ++position) {
        if (records_[static_cast<std::size_t>(position)].view == view) {
            return position;
        }
    }
    return -1;
}

bool TopicList::HasTitle(std::string_view title) const {
    return std::any_of(records_.begin(), records_.end(),
                       [title](const TopicRecord& r) { return r.title == title; });
}

void TopicList::ClearOwner(std::int32_t id) {
    for (std::size_t i = 1; i + 1 < records_.size(); ++i) {
        if (records_[i].owner == id) {
            records_[i].owner = 0;
        }
    }
}

std::optional<int> TopicList::InsertTopic(std::int32_t owner, std::string title, bool sticky,
                                          std::int32_t spawned) {
    if (TopicCount() >= kMaxTopics) {
        return std::nullopt;
    }
    const int position = TopicCount() + 1;
    int view = kMainView + position;
    if (!viewPool_.empty()) {
        view = viewPool_.back();
        viewPool_.pop_back();
    }
    records_.insert(records_.end() - 1,
                    TopicRecord{owner, spawned, std::move(title), view, sticky});
    return position;
}

std::optional<TopicRecord> TopicList::RemoveTopic(int position) {
    if (position < 1 || position > TopicCount()) {
        return std::nullopt;
    }
    const auto at = records_.begin() + position;
    TopicRecord removed = std::move(*at);
    records_.erase(at);
    viewPool_.push_back(removed.view);
    return removed;
}

}  // namespace talvoro::chat
