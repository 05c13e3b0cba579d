#include "ui/session_end.h"

#include <QApplication>

#include "app/exit_codes.h"
#include "app/startup.h"
#include "ui/open_dialogs.h"
#include "ui/operator_observer.h"
#include "ui/termination_notifier.h"

namespace talvoro::ui {

SessionEnd::SessionEnd(app::ProcessState& state, server::ChatServer* server,
                       OperatorObserver* observer, app::TerminationSignals* termination)
    : state_(state), server_(server), observer_(observer), termination_(termination) {}

SessionEnd::~SessionEnd() {
    if (observer_ != nullptr) {
        observer_->Detach();
    }
}

void SessionEnd::WatchSignals() {
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &loop_, [this] {
        if (!state_.ServiceMode) {
            Terminate();
        }
    });
    signalNotifier_ = WatchTermination(termination_, [this] { Terminate(); });
}

// Whatever box or dialog is open is cancelled, so that the loop it runs returns and the orderly
// end follows at once.
void SessionEnd::Terminate() {
    state_.QuitRequested = true;
    EndOpenDialogs();
    Check();
}

void SessionEnd::RequestQuit() {
    if (QMessageBox* box = quitBox_.data(); box != nullptr && box->isVisible()) {
        box->raise();  // the question is open already
        return;
    }
    if (state_.ServerRunning.load() && server_ != nullptr) {
        server_->RequestQuit();  // asks first when other clients are connected
        return;
    }
    state_.QuitRequested = true;
    Check();
}

void SessionEnd::AskOperator(QWidget* parent, server::QuitAnswer answer) {
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Talvoro: Server Reminder"),
        QStringLiteral("All clients will be disconnected.\n\nDo you really want to quit?"),
        QMessageBox::Ok | QMessageBox::Cancel, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box,
                     [answer](int result) { answer.Answer(result == QMessageBox::Ok); });
    quitBox_ = box;
    box->show();
}

void SessionEnd::Check() {
    if (state_.QuitRequested.load() && !ending_) {
        ending_ = true;
        loop_.quit();
    }
}

void SessionEnd::Exec() {
    Check();
    if (!ending_) {
        loop_.exec();
    }
}

int SessionEnd::Shutdown(net::ClientSession& session, const std::function<void()>& closeWindow) {
    signalNotifier_.reset();
    if (observer_ != nullptr) {
        observer_->Detach();
    }
    session.Close();
    app::FinishShutdown(state_);
    closeWindow();
    return app::kExitNormal;
}

}  // namespace talvoro::ui
