#include "ui/termination_notifier.h"

namespace talvoro::ui {

std::unique_ptr<QSocketNotifier> WatchTermination(app::TerminationSignals* termination,
                                                  std::function<void()> onSignal) {
    if (termination == nullptr || termination->fd() < 0) {
        return nullptr;
    }
    auto notifier = std::make_unique<QSocketNotifier>(termination->fd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [termination, onSignal = std::move(onSignal)] {
                         termination->Consume();
                         onSignal();
                     });
    return notifier;
}

}  // namespace talvoro::ui
