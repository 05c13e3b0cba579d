#pragma once
// The real steps of the logon: the chat session is the run procedure (RunLoop), and "start the
// server" starts this process's own ChatServer, whose operator view is the session's main window.
// While no session runs, SIGTERM and SIGINT close the open dialog and end the program.
//
// Thread: GUI thread only.

#include <QSocketNotifier>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/termination_signals.h"
#include "net/client_session.h"
#include "server/chat_server.h"
#include "ui/logon.h"
#include "ui/operator_observer.h"
#include "ui/qt_gui_queue.h"

namespace talvoro::ui {

class ProgramLogonSteps : public LogonSteps {
  public:
    // `termination` may be null. `connectTimeoutMs` bounds each connection attempt. `arguments`
    // are the program's own command-line arguments, which "reconnect" starts it with again.
    ProgramLogonSteps(app::ProcessState& state, app::TerminationSignals* termination,
                      int connectTimeoutMs = net::kConnectTimeoutMs,
                      std::vector<std::string> arguments = {});
    // Stops the own server (its queued output gets a short time to go out).
    ~ProgramLogonSteps() override;

    std::optional<int> RunSession() override;
    // Listens on "Port" (1..65535; any other value fails like a port in use). On failure shows
    // "Talvoro: Network Error" and returns exit code 13.
    std::optional<int> StartOwnServer() override;
    std::string HostName() override;

    // Whether a session ran (and so wrote the log's end line).
    bool SessionRan() const { return sessionRan_; }

  private:
    void WatchSignalsOutsideSession();

    app::ProcessState& state_;
    app::TerminationSignals* termination_;
    int connectTimeoutMs_;
    std::vector<std::string> arguments_;
    QtGuiQueue gui_;
    OperatorObserver observer_{gui_};
    std::unique_ptr<server::ChatServer> server_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    bool sessionRan_ = false;
};

// The warning a restart helper left in `dataDir` after it could not replace the program, in a
// message box titled "Talvoro Update Troubles"; shown once (the warning is removed).
void ShowUpdateTroubles(const std::string& dataDir);

// The logon step with the real steps and desktop services, up to the end of the program.
// `arguments` are the program's command-line arguments after its name. Returns the exit code.
int RunProgramLogon(app::ProcessState& state, app::TerminationSignals* termination,
                    std::vector<std::string> arguments);

}  // namespace talvoro::ui
