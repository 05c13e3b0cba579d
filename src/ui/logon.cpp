#include "ui/logon.h"

#include "app/exit_codes.h"
#include "ui/connection_failure_dialog.h"

namespace talvoro::ui {

namespace {

enum class Road { Decide, OwnServer, Connect };

// The dialog road and the automatic logon alike: the values come from the logon dialog's fields
// (filled from the settings, so the field limits apply in both cases). Returns false when the user
// cancelled the dialog.
bool AskForServer(app::Settings& settings, const LogonOptions& options) {
    LogonDialog dialog(settings, options.dialogServices);
    if (!settings.AutoLogon && dialog.exec() != QDialog::Accepted) {
        return false;
    }
    app::ApplyLogonFields(dialog.Fields(), settings, options.anonymousNumber);
    settings.Color = dialog.Color();
    return true;
}

Road AfterFailedConnect(const app::Settings& settings) {
    switch (AskAfterFailedConnect(settings.UserName, settings.Host, settings.Port)) {
        case FailureChoice::Retry:
            return Road::Connect;
        case FailureChoice::StartServer:
            return Road::OwnServer;
        case FailureChoice::Cancel:
            break;
    }
    return Road::Decide;
}

}  // namespace

int RunLogon(app::ProcessState& state, LogonSteps& steps, const LogonOptions& options) {
    app::Settings& settings = state.settings;
    Road road = Road::Decide;
    for (;;) {
        if (state.QuitRequested.load()) {
            return app::kExitNormal;  // ended from outside (a termination signal)
        }
        switch (road) {
            case Road::Decide:
                if (settings.ServerMode) {
                    road = Road::OwnServer;
                } else if (AskForServer(settings, options)) {
                    road = Road::Connect;
                } else if (!state.QuitRequested.load()) {
                    return app::kExitLogonCancelled;
                }
                break;
            case Road::OwnServer:
                // "ServerMode" skips the dialog; the alias rule still holds.
                settings.UserName =
                    app::AliasOrAnonymous(settings.UserName, options.anonymousNumber);
                settings.Host = steps.HostName();
                if (std::optional<int> exitCode = steps.StartOwnServer()) {
                    return *exitCode;
                }
                road = Road::Connect;
                break;
            case Road::Connect:
                if (std::optional<int> exitCode = steps.RunSession()) {
                    return *exitCode;
                }
                road = AfterFailedConnect(settings);
                break;
        }
    }
}

}  // namespace talvoro::ui
