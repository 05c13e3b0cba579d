#include "app/thread_slots.h"

namespace talvoro::app {

ThreadSlots::~ThreadSlots() {
    for (Slot& slot : slots_) {
        if (slot.thread.joinable()) {
            slot.thread.request_stop();
            slot.thread.join();
        }
    }
}

bool ThreadSlots::Busy(std::size_t index) const {
    if (index >= kCount) {
        return false;
    }
    const Slot& slot = slots_[index];
    return slot.thread.joinable() && !slot.finished->load();
}

bool ThreadSlots::Start(std::size_t index, std::function<void(std::stop_token)> work) {
    if (index >= kCount || Busy(index)) {
        return false;
    }
    Slot& slot = slots_[index];
    if (slot.thread.joinable()) {
        slot.thread.join();  // finished already: returns at once
    }
    slot.finished = std::make_shared<std::atomic<bool>>(false);
    slot.thread =
        std::jthread([work = std::move(work), finished = slot.finished](std::stop_token stop) {
            work(stop);
            finished->store(true);  // the last act of the worker
        });
    return true;
}

void ThreadSlots::RequestStop(std::size_t index) {
    if (index < kCount && slots_[index].thread.joinable()) {
        slots_[index].thread.request_stop();
    }
}

}  // namespace talvoro::app
