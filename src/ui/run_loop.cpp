#include "ui/run_loop.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSocketNotifier>
#include <algorithm>
#include <functional>

#include "app/exit_codes.h"
#include "app/identifiers.h"
#include "app/preferences.h"
#include "app/startup.h"
#include "chat/topic_archive.h"
#include "net/messages.h"
#include "transfer/restart_helper_file.h"
#include "ui/command_wiring.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/message_field.h"
#include "ui/open_dialogs.h"
#include "ui/qt_view_port.h"
#include "ui/text_edge.h"
#include "ui/tray_icon.h"

namespace talvoro::ui {

namespace {

constexpr char kBlinkTip[] = "Talvoro\nNew Message(s) Arrived!";

void LogInfo(app::ProcessState& state, std::string_view text) {
    if (state.Log) {
        state.Log->LogEvent(false, text);
    }
}

// Calls `restored` when the window comes back from the task bar by the desktop's own means (not
// through the show/hide toggle), so that "shown" stays true to what the user sees.
class RestoreWatcher : public QObject {
  public:
    RestoreWatcher(QWidget& window, std::function<void()> restored)
        : QObject(&window), window_(window), restored_(std::move(restored)) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowStateChange &&
            !window_.isMinimized() && window_.isVisible()) {
            restored_();
        }
        return false;
    }

  private:
    QWidget& window_;
    std::function<void()> restored_;
};

}  // namespace

RunLoop::RunLoop(app::ProcessState& state, RunServices services)
    : state_(state),
      services_(std::move(services)),
      session_(state, state.Log ? &*state.Log : nullptr) {
    tick_.setInterval(app::timer::kOneSecondPeriodMs);
    QObject::connect(&tick_, &QTimer::timeout, &tick_, [this] { Tick(); });
    QObject::connect(&away_, &QTimer::timeout, &away_, [this] { OnAwayTimer(); });
}

RunLoop::~RunLoop() {
    if (services_.serverObserver != nullptr) {
        services_.serverObserver->Detach();
        services_.serverObserver->SetFileReceiver({});
    }
    transfer_.reset();
    readNotifier_.reset();
    signalNotifier_.reset();
    tray_.reset();
    if (window_) {
        // The window goes first; its handlers must not reach the client while it is destroyed.
        window_->SetTabSwitchHandler({});
        window_->SetUserSelectionHandler({});
        window_->SetUserTickHandler({});
        window_->SetMinimizedHandler({});
        window_->SetMenuContextProvider({});
        window_.reset();
    }
    session_.SetEvents(nullptr);
}

std::optional<int> RunLoop::Run() {
    if (!session_.OpenSession(services_.connectTimeoutMs)) {
        return std::nullopt;
    }
    const bool server = state_.ServerRunning.load() && services_.server != nullptr;
    Build();
    LogInfo(state_, server ? "Running as SERVER" : "Running as CLIENT");
    SaveSettings();
    ToggleMainWindow();

    state_.NewContent = false;
    chat_->Context().own.status = chat::OwnStatus::Present;
    uptime_ = app::Uptime(SteadySeconds());
    tick_.start();
    if (server) {
        WireServer();
    }
    session_.SendLogon();  // the file server starts once the server has welcomed this client
    ArmAwayTimer();

    CheckQuit();
    if (!ending_) {
        loop_.exec();
    }
    return Shutdown();
}

void RunLoop::Build() {
    const bool server = state_.ServerRunning.load() && services_.server != nullptr;
    RegisterEmbeddedImages(images_);
    MainWindowSetup setup{server ? "Server" : "Client", state_.settings.Host, state_.settings.Port};
    window_ = std::make_unique<MainWindow>(state_, images_, setup);
    port_ = std::make_unique<QtViewPort>(*window_);

    chat::ChatHooks hooks;
    hooks.awayReset = [this] { AwayReset(); };
    hooks.welcomed = [this] {
        if (!state_.ServerRunning.load() && state_.settings.FileServerHalt.load() == 0) {
            transfer_->StartFileServer();
        }
    };
    hooks.executablePath = services_.executablePath;
    hooks.executableArguments = services_.executableArguments;
    hooks.writeRestartHelper = [](const std::string& path) { transfer::WriteRestartHelper(path); };
    chat_ = std::make_unique<chat::ChatClient>(state_, *port_, session_,
                                               state_.Log ? &*state_.Log : nullptr,
                                               chat::DateClock{}, hooks, services_.gui);
    session_.SetEvents(chat_.get());
    transfer_ = std::make_unique<TransferHub>(
        TransferHubSetup{&state_, services_.gui, chat_.get(), &session_, port_.get(), window_.get(),
                         [this] { HandleNewContent(); }, [this] { AwayReset(); }});

    tray_ = std::make_unique<TrayIcon>(
        images_,
        [this] {
            if (window_->isEnabled()) {
                ToggleMainWindow();
            }
        },
        [this](QPoint globalPos) { ShowTrayMenu(globalPos); });
    window_->SetTrayAvailable(tray_->Available());
    WireWindow();
    chat_->Start();

    readNotifier_ = std::make_unique<QSocketNotifier>(session_.Descriptor(), QSocketNotifier::Read);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, readNotifier_.get(),
                     [this] { OnServerReadable(); });
    WatchSignals();
}

void RunLoop::WireWindow() {
    AppCommandActions actions;
    actions.toggleMainWindow = [this] { ToggleMainWindow(); };
    actions.openTransferDir = [this] { transfer_->OpenTransferDir(); };
    actions.requestQuit = [this] { RequestQuit(); };
    actions.toggleAway = [this] { ToggleAway(); };
    actions.saveSettings = [this] { SaveSettings(); };
    actions.startFileServer = [this] { transfer_->StartFileServer(); };
    actions.stopFileServer = [this] { transfer_->StopFileServer(); };
    actions.stopKeepAlive = [this] {
        if (services_.server != nullptr) {
            services_.server->StopKeepAlive();
        }
    };
    actions.restartAwayTimer = [this] {
        if (away_.isActive()) {
            away_.stop();
            ArmAwayTimer();
        }
    };
    WireCommands(*window_, *chat_, std::move(actions));
    WireTransferCommands(*window_, *transfer_);
    window_->SetMinimizedHandler([this] { shownByMessage_ = false; });
    new RestoreWatcher(*window_, [this] {  // owned by the window
        if (!state_.WindowShown) {
            state_.WindowShown = true;
            shownByMessage_ = false;
            state_.TrayImage = app::image::kTrayNormal;
            tray_->ShowImage(state_.TrayImage);
            SetTrayTip();
        }
    });
}

void RunLoop::WireServer() {
    server::ChatServer& server = *services_.server;
    session_.SetKeepAliveBroadcast([&server](std::string_view) { server.BroadcastHeartbeat(); });
    server.SetOperatorConnection(session_.Descriptor());
    if (services_.serverObserver == nullptr) {
        return;
    }
    OperatorHandlers handlers;
    handlers.showLine = [this](server::LineTarget target, const std::string& line) {
        chat_->WriteServerLine(line, target == server::LineTarget::CurrentTab);
    };
    handlers.clearInput = [this] { window_->Input().clear(); };
    handlers.askQuit = [this](server::QuitAnswer answer) {
        auto* box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Talvoro: Server Reminder"),
            QStringLiteral("All clients will be disconnected.\n\nDo you really want to quit?"),
            QMessageBox::Ok | QMessageBox::Cancel, window_.get());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);  // the session goes on while the box is open
        QObject::connect(box, &QMessageBox::finished, box,
                         [answer](int result) { answer.Answer(result == QMessageBox::Ok); });
        quitBox_ = box;
        box->show();
    };
    handlers.quitConfirmed = [this] { CheckQuit(); };
    handlers.showNotice = [this](const std::string& text) {
        port_->SetStatusField(chat::StatusField::ServerMessage, text);
    };
    handlers.saveStickyTopics = [this](const std::string& dir, const auto& topics) {
        return SaveStickyTopics(chat_->Context(), dir, topics);
    };
    services_.serverObserver->Attach(std::move(handlers));
    services_.serverObserver->SetFileReceiver(
        [hub = transfer_.get()](const server::PendingFileHeader& header, std::uint64_t length) {
            return hub->OpenOperatorReceive(header, length);
        });
}

void RunLoop::WatchSignals() {
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &tick_, [this] {
        if (!state_.ServiceMode) {
            Terminate();
        }
    });
    if (services_.termination == nullptr || services_.termination->fd() < 0) {
        return;
    }
    signalNotifier_ =
        std::make_unique<QSocketNotifier>(services_.termination->fd(), QSocketNotifier::Read);
    QObject::connect(signalNotifier_.get(), &QSocketNotifier::activated, signalNotifier_.get(),
                     [this] {
                         services_.termination->Consume();
                         Terminate();
                     });
}

// A signal or the desktop session's end: whatever box or dialog is open is cancelled, so that the
// loop it runs returns and the orderly end follows at once.
void RunLoop::Terminate() {
    state_.QuitRequested = true;
    EndOpenDialogs();
    CheckQuit();
}

void RunLoop::SaveSettings() {
    const QRect placement = window_->Placement();
    const app::WindowGeometry geometry{placement.x(), placement.y(), placement.width(),
                                       placement.height()};
    app::SaveSettings(state_.DataDir + "Talvoro.ini", state_.settings, geometry,
                      port_->ScrollLockOn());
}

void RunLoop::RequestQuit() {
    if (QMessageBox* box = quitBox_.data(); box != nullptr && box->isVisible()) {
        box->raise();  // the question is open already
        return;
    }
    if (state_.ServerRunning.load() && services_.server != nullptr) {
        services_.server->RequestQuit();  // asks first when other clients are connected
        return;
    }
    state_.QuitRequested = true;
    CheckQuit();
}

void RunLoop::ToggleMainWindow() {
    if (state_.WindowShown) {
        state_.WindowShown = false;
        shownByMessage_ = false;
        if (state_.settings.MinimizeToTray != 0) {
            if (tray_->Available()) {
                window_->hide();
            } else {
                window_->showMinimized();  // without a tray the window must stay reachable
            }
        } else if (!window_->isVisible() && !tray_->Available()) {
            window_->showMinimized();
        }
    } else {
        state_.TrayImage = app::image::kTrayNormal;
        tray_->ShowImage(state_.TrayImage);
        window_->showNormal();
        window_->raise();
        window_->activateWindow();
        state_.WindowShown = true;
        shownByMessage_ = false;
    }
    SetTrayTip();
}

void RunLoop::SetTrayTip() {
    const app::Settings& settings = state_.settings;
    std::string tip = "Talvoro ";
    tip += state_.ServerRunning.load() ? "(Server" : "(Client";
    tip += state_.ServiceMode ? "/Service)" : ")";
    tip += "\n" + settings.UserName + "@" + settings.Host + ":" + std::to_string(settings.Port);
    tray_->SetToolTip(ToQt(tip));
}

void RunLoop::ShowTrayMenu(QPoint globalPos) {
    if (!window_->isEnabled()) {
        return;  // a modal dialog is open
    }
    const std::unique_ptr<QMenu> menu = BuildTrayMenu(state_.ServiceMode);
    if (const int event = MenuEvent(menu->exec(globalPos)); event != 0) {
        window_->Dispatch(event);
    }
}

void RunLoop::OnServerReadable() {
    if (!session_.OnReadable()) {
        // The server closed the connection. Unless the session is ending anyway, this is a lost
        // server: report it the way a failed send is reported (once, with the reconnect question).
        readNotifier_->setEnabled(false);
        if (!state_.QuitRequested.load()) {
            session_.SendToServer(net::Heartbeat{}.Encode());
        }
    }
    HandleNewContent();
    CheckQuit();
}

void RunLoop::HandleNewContent() {
    if (!state_.NewContent) {
        return;
    }
    state_.NewContent = false;
    chat_->MarkTabUnread(chat_->Context().lastFrameTab);
    const app::Settings& settings = state_.settings;
    if (state_.WindowShown) {
        if (settings.ShowOnMessage != 0) {
            window_->raise();
            window_->activateWindow();
        }
        if (settings.FlashOnMessage != 0) {
            port_->Alert();
        }
    } else if (settings.ShowOnMessage != 0) {
        ToggleMainWindow();
    } else {
        shownByMessage_ = true;
    }
}

void RunLoop::Tick() {
    const std::int32_t seconds = uptime_.Tick(SteadySeconds());
    session_.KeepAliveStep(seconds);
    port_->SetStatusField(chat::StatusField::Uptime, app::UptimeText(uptime_.Days(), seconds));
    port_->SetStatusField(chat::StatusField::Messages, app::MessagesText(state_.MessageCount));
    if (app::TrayShouldBlink(state_.WindowShown, shownByMessage_, state_.MessageCount)) {
        state_.TrayImage = app::NextTrayImage(state_.TrayImage);
        tray_->ShowImage(state_.TrayImage);
        tray_->SetToolTip(QString::fromLatin1(kBlinkTip));
    }
    ArmAwayTimer();
    CheckQuit();
}

void RunLoop::ArmAwayTimer() {
    if (state_.settings.AwayMessage == 0 || away_.isActive() || ending_) {
        return;
    }
    const int minutes = std::max(1, static_cast<int>(state_.settings.AwayTime));
    away_.start(minutes * app::timer::kAwayMinuteMs);
}

void RunLoop::OnAwayTimer() {
    // The timer keeps running; later firings change nothing while the user is away.
    if (chat_->Context().own.status == chat::OwnStatus::Present) {
        chat_->SetAwayStatus(chat::OwnStatus::Away);
    }
}

void RunLoop::AwayReset() {
    if (!away_.isActive()) {
        return;
    }
    away_.stop();
    if (chat_->Context().own.status == chat::OwnStatus::Away) {
        chat_->SetAwayStatus(chat::OwnStatus::Present);
    }
    ArmAwayTimer();  // the away period counts again from now
}

void RunLoop::ToggleAway() {
    if (chat_->Context().own.status == chat::OwnStatus::Away) {
        chat_->SetAwayStatus(chat::OwnStatus::Present);
        away_.stop();
        ArmAwayTimer();
    } else {
        chat_->SetAwayStatus(chat::OwnStatus::Away);
    }
}

void RunLoop::CheckQuit() {
    if (state_.QuitRequested.load() && !ending_) {
        ending_ = true;
        loop_.quit();
    }
}

// The window steps of the orderly end; the session closes without telling the server.
int RunLoop::Shutdown() {
    chat::SaveTopicsAtShutdown(chat_->Context());  // archives and "Topics.ini" ("AutoSaveSession")
    tick_.stop();
    away_.stop();
    readNotifier_.reset();
    signalNotifier_.reset();
    if (services_.serverObserver != nullptr) {
        services_.serverObserver->Detach();
        services_.serverObserver->SetFileReceiver({});
    }
    transfer_.reset();  // the file server and a send worker end before the session closes
    session_.Close();
    app::FinishShutdown(state_);
    tray_.reset();
    window_->close();
    return app::kExitNormal;
}

std::int64_t RunLoop::SteadySeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace talvoro::ui
