#pragma once
// The run procedure: opens the server connection, builds the main window, logs on, and then lets
// Qt's event loop drive the session until the program is asked to quit; it ends in the orderly
// shutdown. Nothing polls: the server connection is watched by a socket notifier, the one-second
// timer (4712) updates the status bar, sends the keep-alive and blinks the tray icon, the away
// timer (4713) switches the user to away, and SIGTERM/SIGINT arrive through a descriptor. An idle
// program therefore wakes once a second.
//
// Quit: whoever wants the program to end sets ProcessState::QuitRequested (menus through
// RequestQuit, a refusal or new version from the server, a lost connection after its question,
// the server's confirmed quit, a termination signal, the end of the desktop session). The loop
// notices it after the event that set it (other threads' settings within a second, or at once
// through QuitConfirmed) and shuts down. A termination signal and the session's end first cancel
// every open box and dialog, whose loops would otherwise hold the end up.
//
// Thread: GUI thread only. One RunLoop runs at a time.

#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/termination_signals.h"
#include "app/uptime.h"
#include "chat/chat_client.h"
#include "chat/gui_queue.h"
#include "net/client_session.h"
#include "server/chat_server.h"
#include "ui/images.h"
#include "ui/operator_observer.h"
#include "ui/transfer_hub.h"

class QSocketNotifier;

namespace talvoro::ui {

class MainWindow;
class QtViewPort;
class TrayIcon;

struct RunServices {
    chat::GuiQueue* gui = nullptr;                   // required
    server::ChatServer* server = nullptr;            // this process's own server, or null
    OperatorObserver* serverObserver = nullptr;      // the server's observer, with `server`
    app::TerminationSignals* termination = nullptr;  // may be null
    std::string executablePath;  // started again by "reconnect"; empty: no restart
    std::vector<std::string> executableArguments;  // what "reconnect" starts it with
    int connectTimeoutMs = net::kConnectTimeoutMs;
};

class RunLoop {
  public:
    RunLoop(app::ProcessState& state, RunServices services);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Returns nullopt when the server connection could not be opened (nothing was built, nothing
    // logged). Otherwise runs the session to its end, shuts down and returns the exit code.
    std::optional<int> Run();

    // Quit (menu, shortcut, close button): a program that runs the server lets the server decide
    // (it asks first when other clients are connected); a client quits at once.
    void RequestQuit();

    // Show/hide toggle of the main window (event 2, tray left click).
    void ToggleMainWindow();

    // For tests, valid while Run() runs: the window, the chat client and the tray icon.
    MainWindow* Window() const { return window_.get(); }
    chat::ChatClient* Chat() const { return chat_.get(); }
    TrayIcon* Tray() const { return tray_.get(); }
    bool ShownByMessage() const { return shownByMessage_; }
    // File transfer and the file server (the Options dialog starts and stops it), valid while
    // Run() runs.
    TransferHub* Transfers() const { return transfer_.get(); }

  private:
    void Build();
    void WireWindow();
    void WireServer();
    void WatchSignals();
    void ShowTrayMenu(QPoint globalPos);
    void SetTrayTip();
    void SaveSettings();

    void OnServerReadable();
    void HandleNewContent();
    void Tick();
    void ArmAwayTimer();
    void OnAwayTimer();
    void AwayReset();
    void ToggleAway();
    void Terminate();
    void CheckQuit();
    int Shutdown();

    std::int64_t SteadySeconds() const;

    app::ProcessState& state_;
    RunServices services_;
    net::ClientSession session_;
    ImageStore images_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtViewPort> port_;
    std::unique_ptr<chat::ChatClient> chat_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<TransferHub> transfer_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    QTimer tick_;
    QTimer away_;
    QEventLoop loop_;
    app::Uptime uptime_{0};
    QPointer<QMessageBox> quitBox_;  // the operator's quit question while it is open
    bool shownByMessage_ = false;
    bool ending_ = false;
};

}  // namespace talvoro::ui
