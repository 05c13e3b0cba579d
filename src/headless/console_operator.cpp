#include "headless/console_operator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>

#include "app/exit_codes.h"
#include "app/identifiers.h"
#include "app/logon_settings.h"
#include "app/preferences.h"
#include "app/startup.h"
#include "net/codepage.h"
#include "net/host_info.h"
#include "net/messages.h"

namespace talvoro::headless {

namespace {

// The desktop's input line holds at most this many characters.
constexpr std::size_t kMaxInputLength = 980;
// Input without a line end is sent once this much has gathered.
constexpr std::size_t kMaxPendingInput = 8192;

std::int64_t SteadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// Server thread -> console loop: every call is handed over through the wake queue.
class ConsoleOperator::Observer : public server::ServerObserver {
  public:
    Observer(WakeQueue& queue, chat::ChatClient& chat) : queue_(queue), chat_(chat) {}

    void ShowServerLine(server::LineTarget target, std::string line) override {
        queue_.Post([this, target, line = std::move(line)] {
            chat_.WriteServerLine(line, target == server::LineTarget::CurrentTab);
        });
    }
    // The console has no input field to empty.
    void ClearOperatorInput() override {}
    // Only a termination signal ends the headless server, so nobody asks to quit.
    void AskQuitQuestion(server::QuitAnswer answer) override { answer.Answer(false); }
    // QuitRequested is set already; wake the loop so that it notices.
    void QuitConfirmed() override {
        queue_.Post([] {});
    }

  private:
    WakeQueue& queue_;
    chat::ChatClient& chat_;
};

ConsoleOperator::ConsoleOperator(app::ProcessState& state, app::TerminationSignals* termination,
                                 int inputFd, std::FILE* out)
    : state_(state),
      termination_(termination),
      inputFd_(inputFd),
      port_(out),
      session_(state, state.Log ? &*state.Log : nullptr) {}

ConsoleOperator::~ConsoleOperator() {
    server_.reset();  // the server thread ends before what it reports to goes
    session_.SetEvents(nullptr);
}

int ConsoleOperator::Run() {
    app::Settings& settings = state_.settings;
    settings.UserName = app::AliasOrAnonymous(settings.UserName, app::RandomAnonymousNumbers());
    settings.Host = net::NetHostName();

    chat::ChatHooks hooks;
    hooks.awayReset = [this] { AwayReset(); };
    chat_ = std::make_unique<chat::ChatClient>(state_, port_, session_,
                                               state_.Log ? &*state_.Log : nullptr,
                                               chat::DateClock{}, hooks, &queue_);
    session_.SetEvents(chat_.get());
    chat_->Start();
    observer_ = std::make_unique<Observer>(queue_, *chat_);

    if (!StartServer()) {
        std::fputs(
            "Talvoro: Network Error: Server thread could not be created!\n"
            "Maybe another server is already running.\n",
            stderr);
        return app::kExitListenFailed;
    }
    if (!session_.OpenSession()) {
        std::fputs("Talvoro: the operator could not connect to its own server.\n", stderr);
        server_->Stop();
        return app::kExitLogonCancelled;
    }
    StartSession();
    Loop();
    Shutdown();
    return app::kExitNormal;
}

bool ConsoleOperator::StartServer() {
    const std::int32_t port = state_.settings.Port;
    // Outdated clients get the desktop program installed beside this one, not this server.
    server::ServerLimits limits;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    limits.bootstrap.executablePath = (self.parent_path() / "talvoro").string();
    auto server = std::make_unique<server::ChatServer>(state_, state_.Log ? &*state_.Log : nullptr,
                                                       *observer_, std::move(limits));
    if (port < 1 || port > 65535 || !server->Start(static_cast<std::uint16_t>(port))) {
        return false;
    }
    server_ = std::move(server);
    return true;
}

// The desktop run procedure's start, without the window.
void ConsoleOperator::StartSession() {
    if (state_.Log) {
        state_.Log->LogEvent(false, "Running as SERVER");
    }
    // The settings are saved as the desktop saves them; the window placement stays as loaded.
    app::Settings& settings = state_.settings;
    const app::WindowGeometry geometry{settings.WinPosX, settings.WinPosY, settings.WinWidth,
                                       settings.WinHeight};
    app::SaveSettings(state_.DataDir + "Talvoro.ini", settings, geometry,
                      (settings.ScrollLockStatus & 2U) != 0);

    state_.NewContent = false;
    chat_->Context().own.status = chat::OwnStatus::Present;
    uptime_ = app::Uptime(SteadySeconds());
    nextTick_ = Clock::now() + std::chrono::milliseconds(app::timer::kOneSecondPeriodMs);
    session_.SetKeepAliveBroadcast([this](std::string_view) { server_->BroadcastHeartbeat(); });
    server_->SetOperatorConnection(session_.Descriptor());
    session_.SendLogon();
    ArmAwayTimer();
}

void ConsoleOperator::Loop() {
    enum Source { Signals, Queue, Session, Input, kSources };
    while (!state_.QuitRequested.load()) {
        std::array<pollfd, kSources> fds{};
        fds[Signals].fd = termination_ != nullptr ? termination_->fd() : -1;
        fds[Queue].fd = queue_.fd();
        fds[Session].fd = watchSession_ ? session_.Descriptor() : -1;
        fds[Input].fd = inputFd_;
        for (pollfd& entry : fds) {
            entry.events = POLLIN;  // negative descriptors are skipped by poll
        }
        if (::poll(fds.data(), fds.size(), WaitTimeoutMs()) < 0 && errno != EINTR) {
            break;
        }
        if (fds[Signals].revents != 0) {
            termination_->Consume();
            state_.QuitRequested = true;
            break;
        }
        if (fds[Queue].revents != 0) {
            queue_.RunPending();
        }
        if (fds[Session].revents != 0) {
            OnServerReadable();
        }
        if (fds[Input].revents != 0) {
            ReadInput();
        }
        if (Clock::now() >= nextTick_) {
            Tick();
        }
        CheckAwayTimer();
    }
}

int ConsoleOperator::WaitTimeoutMs() const {
    Clock::time_point wakeAt = nextTick_;
    if (awayAt_) {
        wakeAt = std::min(wakeAt, *awayAt_);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, app::timer::kOneSecondPeriodMs));
}

void ConsoleOperator::ReadInput() {
    std::array<char, 4096> buffer{};
    const ssize_t got = ::read(inputFd_, buffer.data(), buffer.size());
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (got <= 0) {
        // End of input (a closed terminal, /dev/null under a service manager): the server goes
        // on without a console.
        inputFd_ = -1;
        if (!pendingInput_.empty()) {
            SendLine(std::exchange(pendingInput_, {}));
        }
        return;
    }
    pendingInput_.append(buffer.data(), static_cast<std::size_t>(got));
    for (std::size_t end; (end = pendingInput_.find('\n')) != std::string::npos;) {
        std::string line = pendingInput_.substr(0, end);
        pendingInput_.erase(0, end + 1);
        SendLine(std::move(line));
    }
    if (pendingInput_.size() > kMaxPendingInput) {
        SendLine(std::exchange(pendingInput_, {}));
    }
}

void ConsoleOperator::SendLine(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::string text = net::Cp1252FromUtf8(line);
    if (text.size() > kMaxInputLength) {
        text.resize(kMaxInputLength);
    }
    chat_->Send(text);
}

void ConsoleOperator::OnServerReadable() {
    if (!session_.OnReadable()) {
        // The server closed the connection: report it the way a failed send is reported.
        watchSession_ = false;
        if (!state_.QuitRequested.load()) {
            session_.SendToServer(net::Heartbeat{}.Encode());
        }
    }
}

void ConsoleOperator::Tick() {
    session_.KeepAliveStep(uptime_.Tick(SteadySeconds()));
    const auto period = std::chrono::milliseconds(app::timer::kOneSecondPeriodMs);
    nextTick_ = std::max(nextTick_ + period, Clock::now());
    ArmAwayTimer();
}

void ConsoleOperator::ArmAwayTimer() {
    if (state_.settings.AwayMessage == 0 || awayAt_) {
        return;
    }
    const int minutes = std::max(1, static_cast<int>(state_.settings.AwayTime));
    awayAt_ = Clock::now() + std::chrono::milliseconds(minutes * app::timer::kAwayMinuteMs);
}

// The away timer repeats; later expiries change nothing while the operator is away.
void ConsoleOperator::CheckAwayTimer() {
    if (!awayAt_ || Clock::now() < *awayAt_) {
        return;
    }
    const int minutes = std::max(1, static_cast<int>(state_.settings.AwayTime));
    awayAt_ = *awayAt_ + std::chrono::milliseconds(minutes * app::timer::kAwayMinuteMs);
    if (chat_->Context().own.status == chat::OwnStatus::Present) {
        chat_->SetAwayStatus(chat::OwnStatus::Away);
    }
}

void ConsoleOperator::AwayReset() {
    if (!awayAt_) {
        return;
    }
    awayAt_.reset();
    if (chat_->Context().own.status == chat::OwnStatus::Away) {
        chat_->SetAwayStatus(chat::OwnStatus::Present);
    }
    ArmAwayTimer();  // the away period counts again from now
}

// The orderly end: the session closes without telling the server, the log gets its end line,
// then the server stops.
void ConsoleOperator::Shutdown() {
    awayAt_.reset();
    session_.Close();
    app::FinishShutdown(state_);
    server_->Stop();
}

}  // namespace talvoro::headless
