#pragma once
// The Qt form of the GUI queue: work posted from any thread runs on the GUI thread, in posting
// order, as a queued invocation on a context object that lives on the GUI thread.
//
// Thread: construct and destroy on the GUI thread; Post from any thread. Work posted after the
// queue was destroyed is dropped; work still pending at destruction never runs.

#include <QObject>
#include <memory>
#include <mutex>

#include "chat/gui_queue.h"

namespace talvoro::ui {

class QtGuiQueue : public chat::GuiQueue {
  public:
    QtGuiQueue();
    ~QtGuiQueue() override;
    QtGuiQueue(const QtGuiQueue&) = delete;
    QtGuiQueue& operator=(const QtGuiQueue&) = delete;

    void Post(std::function<void()> work) override;

  private:
    std::mutex mutex_;
    std::unique_ptr<QObject> context_;  // null once closed
};

}  // namespace talvoro::ui
