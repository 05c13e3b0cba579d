// The program's entry: network layer, start-up, then the logon step, which runs the session up to
// the orderly end.

#include <QApplication>
#include <QMessageBox>
#include <utility>

#include "app/exit_codes.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "app/termination_signals.h"
#include "net/transport.h"
#include "ui/program_steps.h"

namespace {

using namespace talvoro;

int RunProgram(int argc, const char* const* argv) {
    if (!net::NetInit()) {
        QMessageBox::critical(nullptr, QStringLiteral("Talvoro: Startup Error"),
                              QStringLiteral("Could not initialize network/program"));
        return app::kExitNetworkInitFailed;
    }
    app::TerminationSignals termination;
    app::ProcessState state;
    app::StartUpInputs inputs = app::InputsFromEnvironment(argc, argv);
    app::StartUp(state, inputs);
    return ui::RunProgramLogon(state, &termination, std::move(inputs.args));
}

}  // namespace

int main(int argc, char* argv[]) {
    // QApplication takes its own options out of argv; what remains are the program's arguments.
    QApplication application(argc, argv);
    // Desktops match the windows to the installed desktop entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("talvoro"));
    return RunProgram(argc, argv);
}
