#include "ui/session_root.h"

#include <QSocketNotifier>

#include "app/preferences.h"
#include "net/messages.h"
#include "transfer/restart_helper_file.h"
#include "ui/away_timer.h"
#include "ui/command_wiring.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/message_field.h"
#include "ui/qt_view_port.h"
#include "ui/session_end.h"
#include "ui/tray_icon.h"
#include "ui/tray_policy.h"
#include "ui/window_flash.h"

namespace talvoro::ui {

namespace {

void LogInfo(app::ProcessState& state, std::string_view text) {
    if (state.Log) {
        state.Log->LogEvent(false, text);
    }
}

std::int64_t SteadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

SessionRoot::SessionRoot(app::ProcessState& state, RunServices services)
    : state_(state),
      services_(std::move(services)),
      session_(state, state.Log ? &*state.Log : nullptr),
      end_(std::make_unique<SessionEnd>(state, services_.server, services_.serverObserver,
                                        services_.termination)) {
    tick_.setInterval(app::timer::kOneSecondPeriodMs);
    QObject::connect(&tick_, &QTimer::timeout, &tick_, [this] { Tick(); });
}

SessionRoot::~SessionRoot() {
    if (services_.serverObserver != nullptr) {
        services_.serverObserver->Detach();
        services_.serverObserver->SetFileReceiver({});
    }
    transfer_.reset();
    readNotifier_.reset();
    StopWatchingOutput();
    away_.reset();
    if (window_) {
        // The window goes first; its handlers must not reach the client while it is destroyed.
        window_->SetTabSwitchHandler({});
        window_->SetUserSelectionHandler({});
        window_->SetUserTickHandler({});
        window_->SetMinimizedHandler({});
        window_->SetMenuContextProvider({});
        window_.reset();
    }
    policy_.reset();
    flash_.reset();
    tray_.reset();
    session_.SetEvents(nullptr);
}

std::optional<int> SessionRoot::Run() {
    if (!session_.OpenSession(services_.connectTimeoutMs)) {
        return std::nullopt;
    }
    const bool server = state_.ServerRunning.load() && services_.server != nullptr;
    Build();
    LogInfo(state_, server ? "Running as SERVER" : "Running as CLIENT");
    SaveSettings();
    policy_->ToggleMainWindow();

    uptime_ = app::Uptime(SteadySeconds());
    tick_.start();
    if (server) {
        WireServer();
    }
    session_.SendLogon();  // the file server starts once the server has welcomed this client
    away_->Arm();
    end_->Exec();
    return Shutdown();
}

void SessionRoot::RequestQuit() {
    end_->RequestQuit();
}

void SessionRoot::Build() {
    const bool server = state_.ServerRunning.load() && services_.server != nullptr;
    RegisterEmbeddedImages(images_);
    MainWindowSetup setup{server ? "Server" : "Client", state_.settings.Host, state_.settings.Port};
    window_ = std::make_unique<MainWindow>(state_, images_, setup);
    port_ = std::make_unique<QtViewPort>(*window_);

    chat::ChatHooks hooks;
    hooks.awayReset = [this] { away_->Reset(); };
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
    chat_->SetFrameResultHandler(
        [this](const chat::FrameResult& result) { OnFrameResult(result); });
    transfer_ = std::make_unique<TransferHub>(
        TransferHubSetup{&state_, services_.gui, chat_.get(), &session_, port_.get(), window_.get(),
                         [this] { OnFrameResult(chat::FrameResult{.newContent = true}); },
                         [this] { away_->Reset(); }});

    tray_ = std::make_unique<TrayIcon>(
        images_, [this] { policy_->TrayLeftClick(); },
        [this](QPoint globalPos) { policy_->ShowTrayMenu(globalPos); });
    flash_ = std::make_unique<WindowFlash>(*window_, images_);
    policy_ = std::make_unique<TrayPolicy>(state_, *window_, *tray_, *flash_);
    away_ = std::make_unique<AwayTimer>(
        state_.settings, [this] { return chat_->Context().own.status; },
        [this](chat::OwnStatus status) { chat_->SetAwayStatus(status); }, services_.awayMinute);
    WireWindow();
    chat_->Start();

    readNotifier_ = std::make_unique<QSocketNotifier>(session_.Descriptor(), QSocketNotifier::Read);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, readNotifier_.get(),
                     [this] { OnServerReadable(); });
    WatchOutput();
    end_->WatchSignals();
}

// Output the socket did not take at once is written when it becomes writable; the notifier is
// enabled only while output waits, so an idle session is not woken by it.
void SessionRoot::WatchOutput() {
    writeNotifier_ =
        std::make_unique<QSocketNotifier>(session_.Descriptor(), QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, writeNotifier_.get(),
                     [this] {
                         if (!session_.OnWritable()) {
                             writeNotifier_->setEnabled(false);
                         }
                         end_->Check();
                     });
    QSocketNotifier* notifier = writeNotifier_.get();
    session_.SetOutputWaiting([notifier] {  // any thread: only posts
        QMetaObject::invokeMethod(
            notifier, [notifier] { notifier->setEnabled(true); }, Qt::QueuedConnection);
    });
}

void SessionRoot::StopWatchingOutput() {
    session_.SetOutputWaiting({});
    writeNotifier_.reset();
}

void SessionRoot::WireWindow() {
    AppCommandActions actions;
    actions.toggleMainWindow = [this] { policy_->ToggleMainWindow(); };
    actions.openTransferDir = [this] { transfer_->OpenTransferDir(); };
    actions.requestQuit = [this] { end_->RequestQuit(); };
    actions.toggleAway = [this] { away_->Toggle(); };
    actions.awayReset = [this] { away_->Reset(); };
    actions.saveSettings = [this] { SaveSettings(); };
    actions.startFileServer = [this] { transfer_->StartFileServer(); };
    actions.stopFileServer = [this] { transfer_->StopFileServer(); };
    actions.stopKeepAlive = [this] {
        if (services_.server != nullptr) {
            services_.server->StopKeepAlive();
        }
    };
    actions.restartAwayTimer = [this] { away_->Restart(); };
    WireCommands(*window_, *chat_, std::move(actions));
    WireTransferCommands(*window_, *transfer_);
}

void SessionRoot::WireServer() {
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
        end_->AskOperator(window_.get(), answer);
    };
    handlers.quitConfirmed = [this] { end_->Check(); };
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

void SessionRoot::SaveSettings() {
    const QRect placement = window_->Placement();
    const app::WindowGeometry geometry{placement.x(), placement.y(), placement.width(),
                                       placement.height()};
    app::SaveSettings(state_.DataDir + "Talvoro.ini", state_.settings, geometry,
                      port_->ScrollLockOn());
}

void SessionRoot::OnServerReadable() {
    if (!session_.OnReadable()) {
        // The server closed the connection. Unless the session is ending anyway, this is a lost
        // server: report it the way a failed send is reported (once, with the reconnect question).
        readNotifier_->setEnabled(false);
        if (!state_.QuitRequested.load()) {
            session_.SendToServer(net::Heartbeat{}.Encode());
        }
    }
    end_->Check();
}

// A frame was handled: new content marks its tab unread and announces itself; a session ended by
// the server leaves the event loop.
void SessionRoot::OnFrameResult(const chat::FrameResult& result) {
    if (result.newContent) {
        chat_->MarkTabUnread(result.tab);
        ArrivedMessage message{result.tab, result.sender, {}};
        if (const chat::TopicRecord* record = chat_->Context().topics.AtTab(result.tab)) {
            message.tabCaption = record->title;
        }
        policy_->OnNewContent(message);
    }
    if (result.sessionEnded) {
        end_->Check();
    }
}

void SessionRoot::Tick() {
    const std::int32_t seconds = uptime_.Tick(SteadySeconds());
    session_.KeepAliveStep(seconds);
    port_->SetStatusField(chat::StatusField::Uptime, app::UptimeText(uptime_.Days(), seconds));
    port_->SetStatusField(chat::StatusField::Messages, app::MessagesText(state_.MessageCount));
    policy_->Tick();
    session_.CheckStall();
    away_->Arm();
    end_->Check();
}

int SessionRoot::Shutdown() {
    chat_->SaveTopicsAtShutdown();  // archives and "Topics.ini" ("AutoSaveSession")
    tick_.stop();
    away_->Stop();
    readNotifier_.reset();
    if (services_.serverObserver != nullptr) {
        services_.serverObserver->SetFileReceiver({});
    }
    transfer_.reset();  // the file server and a send worker end before the session closes
    StopWatchingOutput();
    return end_->Shutdown(session_, [this] {
        tray_.reset();
        window_->close();
    });
}

}  // namespace talvoro::ui
