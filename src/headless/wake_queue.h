#pragma once
// The GUI queue of the headless program: work posted from any thread is kept in order and the
// console loop's descriptor becomes readable, so the loop wakes, drains it and runs the work on
// its own thread. There is no widget thread here; the loop thread plays its part.
//
// Threads: construct and destroy on the loop thread; Post from any thread; fd() and RunPending on
// the loop thread. Work still queued when the queue is destroyed never runs.

#include <deque>
#include <functional>
#include <mutex>

#include "chat/gui_queue.h"

namespace talvoro::headless {

class WakeQueue : public chat::GuiQueue {
  public:
    WakeQueue();
    ~WakeQueue() override;
    WakeQueue(const WakeQueue&) = delete;
    WakeQueue& operator=(const WakeQueue&) = delete;

    void Post(std::function<void()> work) override;

    // Readable while work waits; -1 when the descriptor could not be made (Post still queues).
    int fd() const { return fd_; }
    // Runs the work posted so far, in posting order; work posted meanwhile waits for the next call.
    void RunPending();

  private:
    int fd_ = -1;
    std::mutex mutex_;
    std::deque<std::function<void()>> work_;
};

}  // namespace talvoro::headless
