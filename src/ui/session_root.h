#pragma once
// The run procedure of one chat session and the place where its parts are made and wired: it opens
// the server connection, builds the main window, the chat client, the tray icon and its policy,
// the away timer and the session's end, logs on, and lets Qt's event loop drive the session until
// the program is asked to quit; it ends in the orderly shutdown. Nothing polls: the server
// connection is watched by socket notifiers, the one-second timer (4712) updates the status bar,
// sends the keep-alive, blinks the tray icon and arms the away timer (4713), and SIGTERM/SIGINT
// arrive through a descriptor. An idle program therefore wakes once a second.
//
// Thread: GUI thread only. One SessionRoot runs at a time.

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

class AwayTimer;
class MainWindow;
class QtViewPort;
class SessionEnd;
class TrayIcon;
class TrayPolicy;
class WindowFlash;

struct RunServices {
    chat::GuiQueue* gui = nullptr;                   // required
    server::ChatServer* server = nullptr;            // this process's own server, or null
    OperatorObserver* serverObserver = nullptr;      // the server's observer, with `server`
    app::TerminationSignals* termination = nullptr;  // may be null
    std::string executablePath;  // started again by "reconnect"; empty: no restart
    std::vector<std::string> executableArguments;  // what "reconnect" starts it with
    int connectTimeoutMs = net::kConnectTimeoutMs;
    std::chrono::milliseconds awayMinute = std::chrono::minutes(1);  // tests shorten it
};

class SessionRoot {
  public:
    SessionRoot(app::ProcessState& state, RunServices services);
    ~SessionRoot();
    SessionRoot(const SessionRoot&) = delete;
    SessionRoot& operator=(const SessionRoot&) = delete;

    // Returns nullopt when the server connection could not be opened (nothing was built, nothing
    // logged). Otherwise runs the session to its end, shuts down and returns the exit code.
    std::optional<int> Run();

    void RequestQuit();

    // For tests, valid while Run() runs.
    MainWindow* Window() const { return window_.get(); }
    chat::ChatClient* Chat() const { return chat_.get(); }
    TrayIcon* Tray() const { return tray_.get(); }
    TrayPolicy* Policy() const { return policy_.get(); }
    AwayTimer* Away() const { return away_.get(); }
    // File transfer and the file server (the Options dialog starts and stops it).
    TransferHub* Transfers() const { return transfer_.get(); }

  private:
    void Build();
    void WireWindow();
    void WireServer();
    void SaveSettings();
    void WatchOutput();
    void StopWatchingOutput();

    void OnServerReadable();
    void OnFrameResult(const chat::FrameResult& result);
    void Tick();
    int Shutdown();

    app::ProcessState& state_;
    RunServices services_;
    net::ClientSession session_;
    ImageStore images_;
    std::unique_ptr<SessionEnd> end_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtViewPort> port_;
    std::unique_ptr<chat::ChatClient> chat_;
    std::unique_ptr<TransferHub> transfer_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<WindowFlash> flash_;
    std::unique_ptr<TrayPolicy> policy_;
    std::unique_ptr<AwayTimer> away_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer tick_;
    app::Uptime uptime_{0};
};

}  // namespace talvoro::ui
