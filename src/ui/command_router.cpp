#include "ui/command_router.h"

#include <utility>

namespace talvoro::ui {

void CommandRouter::SetHandler(int number, Handler handler) {
    SetRangeHandler(number, number, std::move(handler));
}

void CommandRouter::SetRangeHandler(int first, int last, Handler handler) {
    entries_.push_back(Entry{first, last, std::move(handler)});
}

void CommandRouter::SetFallback(Handler fallback) {
    fallback_ = std::move(fallback);
}

bool CommandRouter::Handles(int number) const {
    return Find(number) != nullptr;
}

bool CommandRouter::Dispatch(int number) const {
    if (const Entry* entry = Find(number)) {
        // Copy: the handler may register further handlers while it runs.
        const Handler handler = entry->handler;
        handler(number);
        return true;
    }
    if (fallback_) {
        fallback_(number);
    }
    return false;
}

const CommandRouter::Entry* CommandRouter::Find(int number) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->handler && number >= it->first && number <= it->last) {
            return &*it;
        }
    }
    return nullptr;
}

}  // namespace talvoro::ui
