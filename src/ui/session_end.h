#pragma once
// How a session ends. Whoever wants the program to end sets ProcessState::QuitRequested (menus
// through RequestQuit, a refusal or new version from the server, a lost connection after its
// question, the server's confirmed quit, a termination signal, the end of the desktop session).
// The event loop that Exec() runs is left after the event that set it (other threads' settings
// within a second, at the next tick, or at once through Check()), and Shutdown() then ends the
// session in order. A termination signal and the desktop session's end first cancel every open
// box and dialog, whose own loops would otherwise hold the end up.
//
// Thread: GUI thread only.

#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/process_state.h"
#include "app/termination_signals.h"
#include "net/client_session.h"
#include "server/chat_server.h"

class QSocketNotifier;
class QWidget;

namespace talvoro::ui {

class OperatorObserver;

class SessionEnd {
  public:
    // `server` and `observer` are this process's own server and its observer, or null;
    // `termination` may be null.
    SessionEnd(app::ProcessState& state, server::ChatServer* server, OperatorObserver* observer,
               app::TerminationSignals* termination);
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // Ends the program on SIGTERM/SIGINT and on the end of the desktop session (unless a service).
    void WatchSignals();
    // Quit (menu, shortcut, close button): a program that runs the server lets the server decide
    // (it asks first when other clients are connected); a client quits at once.
    void RequestQuit();
    // The server's quit question for the operator, not modal: the session goes on while it is open.
    void AskOperator(QWidget* parent, server::QuitAnswer answer);
    // Leaves the event loop once the quit is requested.
    void Check();
    // Runs the event loop until the quit, unless it is requested already.
    void Exec();

    // The orderly end: the server's observer lets go, the connection closes without a word to the
    // server, the log gets its end line, then `closeWindow` runs. Returns the exit code.
    int Shutdown(net::ClientSession& session, const std::function<void()>& closeWindow);

  private:
    void Terminate();

    app::ProcessState& state_;
    server::ChatServer* server_;
    OperatorObserver* observer_;
    app::TerminationSignals* termination_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    QEventLoop loop_;
    QPointer<QMessageBox> quitBox_;  // the operator's quit question while it is open
    bool ending_ = false;
};

}  // namespace talvoro::ui
