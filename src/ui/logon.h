#pragma once
// The logon step between start-up and the chat session. It takes one of three roads: start this
// process's own server at once ("ServerMode"), connect at once ("AutoLogon"), or ask in the logon
// dialog. A failed connection leads to the connection-failure dialog (Retry, Start Server,
// Cancel). Every attempt starts afresh from a loop: no attempt is nested inside another.
//
// GUI thread only. The session and the server are reached through LogonSteps, so that the roads
// can be driven with fakes.

#include <optional>

#include "app/logon_settings.h"
#include "app/process_state.h"
#include "ui/logon_dialog.h"

namespace talvoro::ui {

class LogonSteps {
  public:
    virtual ~LogonSteps() = default;

    // Runs the chat session with the "Host" and "Port" settings (the run procedure). Returns
    // nullopt when the server connection could not be opened (nothing was built); otherwise the
    // session ran to its end and the result is the process's exit code.
    virtual std::optional<int> RunSession() = 0;

    // Starts this process's own server on the "Port" setting and waits until it listens, unless
    // it already runs. Returns nullopt when the server listens; otherwise the user has been told
    // and the result is the exit code the process ends with.
    virtual std::optional<int> StartOwnServer() = 0;

    // This computer's host name, which becomes "Host" when the own server starts.
    virtual std::string HostName() = 0;
};

struct LogonOptions {
    LogonDialogServices dialogServices;
    app::AnonymousNumberSource anonymousNumber;
};

// The whole logon step. Returns the exit code: the session's, 1 when the user cancelled the logon
// dialog, or the server's failure code.
int RunLogon(app::ProcessState& state, LogonSteps& steps, const LogonOptions& options);

}  // namespace talvoro::ui
