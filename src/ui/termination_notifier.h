#pragma once
// Watches the termination signals' self-pipe on Qt's event loop.
//
// Thread: GUI thread only.

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "app/termination_signals.h"

namespace talvoro::ui {

// A notifier that consumes each pending signal and then runs `onSignal`; null when there is
// nothing to watch (no signals object, or its pipe could not be made).
std::unique_ptr<QSocketNotifier> WatchTermination(app::TerminationSignals* termination,
                                                  std::function<void()> onSignal);

}  // namespace talvoro::ui
