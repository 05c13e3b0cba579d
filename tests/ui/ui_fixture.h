#pragma once
// Shared set-up of the main-window tests: the application, the drawn pictures and a process state
// with the settings a test wants.

#include <memory>

#include "app/process_state.h"
#include "support/qt_app.h"
#include "ui/images.h"
#include "ui/main_window.h"

namespace talvoro::ui::test {

inline const ImageStore& Images() {
    talvoro::test::QtApp();
    static const ImageStore store = [] {
        ImageStore images;
        RegisterEmbeddedImages(images);
        return images;
    }();
    return store;
}

inline MainWindowSetup Setup() {
    MainWindowSetup setup;
    setup.mode = "Client";
    setup.host = "chathost";
    setup.port = 1805;
    return setup;
}

inline std::unique_ptr<MainWindow> MakeWindow(app::ProcessState& state) {
    return std::make_unique<MainWindow>(state, Images(), Setup());
}

}  // namespace talvoro::ui::test
