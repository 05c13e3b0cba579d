#pragma once
// The short worker threads of the window side, one per numbered slot (app::slot in
// identifiers.h). A slot holds at most one thread; a finished thread is joined when its slot is
// used again or when the slots are destroyed, which stops and joins every thread still running.
//
// Thread: Start, Busy, RequestStop and the destructor on the owner's thread (the GUI thread);
// the work runs on its own thread and is told to stop through its stop token.

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

namespace talvoro::app {

class ThreadSlots {
  public:
    static constexpr std::size_t kCount = 12;

    ThreadSlots() = default;
    ~ThreadSlots();
    ThreadSlots(const ThreadSlots&) = delete;
    ThreadSlots& operator=(const ThreadSlots&) = delete;

    // Runs `work` on a new thread in `slot`. Returns false, and runs nothing, when the slot is
    // out of range or its thread is still running.
    bool Start(std::size_t slot, std::function<void(std::stop_token)> work);
    // Whether the thread of `slot` is still running.
    bool Busy(std::size_t slot) const;
    // Asks the thread of `slot` to stop (its stop token); does not wait.
    void RequestStop(std::size_t slot);

  private:
    struct Slot {
        std::jthread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    std::array<Slot, kCount> slots_;
};

}  // namespace talvoro::app
