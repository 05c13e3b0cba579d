// The program's entry: network layer, start-up, the window, and the orderly end on close, SIGTERM
// or SIGINT.

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include "app/exit_codes.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "app/termination_signals.h"
#include "net/transport.h"
#include "ui/placeholder_window.h"

namespace {

using namespace talvoro;

int RunProgram(QApplication& application, int argc, const char* const* argv) {
    if (!net::NetInit()) {
        QMessageBox::critical(nullptr, QStringLiteral("Talvoro: Startup Error"),
                              QStringLiteral("Could not initialize network/program"));
        return app::kExitNetworkInitFailed;
    }
    app::TerminationSignals termination;
    app::ProcessState state;
    app::StartUp(state, app::InputsFromEnvironment(argc, argv));

    ui::PlaceholderWindow window;
    QSocketNotifier notifier(termination.fd(), QSocketNotifier::Read);
    notifier.setEnabled(termination.fd() >= 0);
    QObject::connect(&notifier, &QSocketNotifier::activated, &application, [&] {
        termination.Consume();
        state.QuitRequested = true;
        application.quit();
    });
    window.show();
    application.exec();

    app::FinishShutdown(state);
    return app::kExitNormal;
}

}  // namespace

int main(int argc, char* argv[]) {
    // QApplication takes its own options out of argv; what remains are the program's arguments.
    QApplication application(argc, argv);
    return RunProgram(application, argc, argv);
}
