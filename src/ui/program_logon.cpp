#include "ui/program_logon.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include "app/exit_codes.h"
#include "app/startup.h"
#include "net/host_info.h"
#include "transfer/restart_helper_file.h"
#include "transfer/transfer_names.h"
#include "ui/code_page_text.h"
#include "ui/open_dialogs.h"
#include "ui/session_root.h"
#include "ui/termination_notifier.h"

namespace talvoro::ui {

ProgramLogonSteps::ProgramLogonSteps(app::ProcessState& state, app::TerminationSignals* termination,
                                     int connectTimeoutMs, std::vector<std::string> arguments)
    : state_(state),
      termination_(termination),
      connectTimeoutMs_(connectTimeoutMs),
      arguments_(std::move(arguments)) {
    WatchSignalsOutsideSession();
}

ProgramLogonSteps::~ProgramLogonSteps() {
    if (server_) {
        server_->Stop();
    }
}

void ProgramLogonSteps::WatchSignalsOutsideSession() {
    signalNotifier_ = WatchTermination(termination_, [this] {
        state_.QuitRequested = true;
        EndOpenDialogs();  // the logon step then sees the quit request
    });
}

std::optional<int> ProgramLogonSteps::RunSession() {
    signalNotifier_.reset();  // the session watches the signals itself
    RunServices services;
    services.gui = &gui_;
    services.server = server_.get();
    services.serverObserver = server_ ? &observer_ : nullptr;
    services.termination = termination_;
    // A file name, not chat text: kept in the file system's encoding.
    services.executablePath =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    services.executableArguments = arguments_;
    services.connectTimeoutMs = connectTimeoutMs_;
    std::optional<int> exitCode;
    {
        SessionRoot loop(state_, std::move(services));
        exitCode = loop.Run();
    }
    if (exitCode) {
        sessionRan_ = true;
    } else {
        WatchSignalsOutsideSession();
    }
    return exitCode;
}

std::optional<int> ProgramLogonSteps::StartOwnServer() {
    if (server_) {
        return std::nullopt;  // runs already: connect to it again
    }
    const std::int32_t port = state_.settings.Port;
    auto server = std::make_unique<server::ChatServer>(state_, state_.Log ? &*state_.Log : nullptr,
                                                       observer_);
    if (port >= 1 && port <= 65535 && server->Start(static_cast<std::uint16_t>(port))) {
        server_ = std::move(server);
        return std::nullopt;
    }
    QMessageBox::critical(nullptr, QStringLiteral("Talvoro: Network Error"),
                          QStringLiteral("Server thread could not be created!\n\nMaybe another "
                                         "server is already running."));
    return app::kExitListenFailed;
}

std::string ProgramLogonSteps::HostName() {
    return net::NetHostName();
}

void ShowUpdateTroubles(const std::string& dataDir) {
    if (const std::optional<std::string> text = transfer::TakeUpdateTroubles(dataDir)) {
        // The text names the executable: a file name in the file system's encoding.
        QMessageBox::warning(
            nullptr, ToQt(transfer::kUpdateTroublesTitle),
            QString::fromLocal8Bit(text->data(), static_cast<qsizetype>(text->size())));
    }
}

int RunProgramLogon(app::ProcessState& state, app::TerminationSignals* termination,
                    std::vector<std::string> arguments) {
    // The window may hide to the tray; only the run loop decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    ShowUpdateTroubles(state.DataDir);
    // The restart helper and "reconnect" start the program from other folders: the data directory
    // goes to them as an absolute path, with the service switch the user gave.
    state.DataDir = transfer::AbsoluteDataDir(state.DataDir);
    arguments = transfer::RestartProgramArguments(state.ServiceMode, state.DataDir);
    ProgramLogonSteps steps(state, termination, net::kConnectTimeoutMs, std::move(arguments));
    LogonOptions options;
    options.dialogServices = DesktopLogonServices();
    options.anonymousNumber = app::RandomAnonymousNumbers();
    const int exitCode = RunLogon(state, steps, options);
    if (exitCode == app::kExitNormal && state.QuitRequested.load() && !steps.SessionRan()) {
        app::FinishShutdown(state);  // ended by a signal before any session
    }
    return exitCode;
}

}  // namespace talvoro::ui
