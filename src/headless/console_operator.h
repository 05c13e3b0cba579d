#pragma once
// The headless server's session: this process's own chat server on its thread, and its operator
// logged on to it like the desktop operator's own client (a client session over loopback, so the
// operator holds the first record and the server sees the same frames). The console is the
// operator's window: server lines and chat text go to the output stream; each input line is sent
// like the desktop's input line ("**kick name", "**ban name", whispers, and any other line as a
// public message).
//
// One loop waits in poll() for the input, the server connection, the termination signals and the
// work the server thread hands over; besides those it wakes only for the one-second tick
// (keep-alive) and the away timer, as the desktop does.
//
// Thread: construct, Run and destroy on one thread (the console loop's).

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/process_state.h"
#include "app/termination_signals.h"
#include "app/uptime.h"
#include "chat/chat_client.h"
#include "headless/console_view_port.h"
#include "headless/wake_queue.h"
#include "net/client_session.h"
#include "server/chat_server.h"

namespace talvoro::headless {

class ConsoleOperator {
  public:
    // `termination` may be null; `inputFd` is read for the operator's lines (-1: none); `out`
    // receives the console text. All must outlive the operator.
    ConsoleOperator(app::ProcessState& state, app::TerminationSignals* termination, int inputFd,
                    std::FILE* out);
    ~ConsoleOperator();
    ConsoleOperator(const ConsoleOperator&) = delete;
    ConsoleOperator& operator=(const ConsoleOperator&) = delete;

    // Starts the server on the "Port" setting with this computer's host name as "Host", logs the
    // operator on and serves until a termination signal or a lost connection; ends with the
    // orderly shutdown ("Terminated" in the log). Returns the exit code: 0, or 13 when the server
    // cannot listen, or 1 when the operator cannot connect to it.
    int Run();

  private:
    class Observer;
    using Clock = std::chrono::steady_clock;

    bool StartServer();
    void StartSession();
    void Loop();
    int WaitTimeoutMs() const;
    void ReadInput();
    void SendLine(std::string line);
    void OnServerReadable();
    void Tick();
    void ArmAwayTimer();
    void CheckAwayTimer();
    void AwayReset();
    void Shutdown();

    app::ProcessState& state_;
    app::TerminationSignals* termination_;
    int inputFd_;

    WakeQueue queue_;
    ConsoleViewPort port_;
    net::ClientSession session_;
    std::unique_ptr<chat::ChatClient> chat_;
    std::unique_ptr<Observer> observer_;
    std::unique_ptr<server::ChatServer> server_;

    std::string pendingInput_;
    bool watchSession_ = true;
    Clock::time_point nextTick_{};
    std::optional<Clock::time_point> awayAt_;
    app::Uptime uptime_{0};
};

}  // namespace talvoro::headless
