#include "server/topic_registry.h"

#include <utility>

namespace talvoro::server {

const ServerTopic* TopicRegistry::At(int position) const {
    if (position < 1 || position > static_cast<int>(topics_.size())) {
        return nullptr;
    }
    return &topics_[static_cast<std::size_t>(position - 1)];
}

bool TopicRegistry::Open(ServerTopic topic) {
    if (Full()) {
        return false;
    }
    topics_.push_back(std::move(topic));
    return true;
}

bool TopicRegistry::Close(int position) {
    if (At(position) == nullptr) {
        return false;
    }
    topics_.erase(topics_.begin() + (position - 1));
    return true;
}

void TopicRegistry::OwnerLeft(std::int32_t owner) {
    for (ServerTopic& topic : topics_) {
        if (topic.owner == owner) {
            topic.owner = 0;
        }
    }
}

}  // namespace talvoro::server
