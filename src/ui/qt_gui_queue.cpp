#include "ui/qt_gui_queue.h"

#include <QMetaObject>
#include <utility>

namespace talvoro::ui {

QtGuiQueue::QtGuiQueue() : context_(std::make_unique<QObject>()) {}

QtGuiQueue::~QtGuiQueue() {
    std::unique_ptr<QObject> context;
    {
        const std::lock_guard lock(mutex_);
        context = std::move(context_);
    }
    // Deleting the context drops the invocations still pending for it.
}

void QtGuiQueue::Post(std::function<void()> work) {
    const std::lock_guard lock(mutex_);
    if (context_ == nullptr || !work) {
        return;
    }
    QMetaObject::invokeMethod(
        context_.get(), [run = std::move(work)] { run(); }, Qt::QueuedConnection);
}

}  // namespace talvoro::ui
