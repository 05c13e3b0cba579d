#pragma once
// How threads other than the GUI thread (the server thread, file-transfer workers) get work done
// on the GUI thread: they post a function; the GUI thread runs posted functions in posting order.
// The Qt implementation posts a queued invocation; tests may run them by hand.
//
// Thread: Post may be called from any thread, concurrently. The posted function runs later on the
// GUI thread, never inside Post. Functions posted after the GUI loop has ended are dropped.

#include <functional>

namespace talvoro::chat {

class GuiQueue {
  public:
    virtual ~GuiQueue() = default;
    virtual void Post(std::function<void()> work) = 0;
};

}  // namespace talvoro::chat
