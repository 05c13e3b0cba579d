#pragma once
// Everything the chat rules act on, in one place: the process state, the view port, the link to
// the server, the clock, and the client's model (own user, users online, tabs, chat text). The
// rules (send action, display, frame dispatch, user list, topics) are functions over it; the
// ChatClient owns one and wires it to the session and the screen.
//
// Thread: GUI thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "chat/chat_text.h"
#include "chat/topic_list.h"
#include "chat/user_model.h"
#include "chat/view_port.h"
#include "net/client_session.h"

namespace talvoro::app {
class EventLog;
}

namespace talvoro::chat {

// Returns the current date value (app::NowDateValue); tests pass a fixed clock.
using DateClock = std::function<std::int32_t()>;

// Steps that belong to other parts of the program; each is optional.
struct ChatHooks {
    // After a message was sent and after reject actions: stops a running away timer and, when
    // the own status is away, sends "present".
    std::function<void()> awayReset;
    // The server has welcomed this client (a refused one never is): its file server may start.
    std::function<void()> welcomed;
    // The client of this process's own server has been welcomed: reopen the saved topics.
    std::function<void()> restoreTopics;
    // A topic is closing while "AutoSaveSession" is on: archive its view.
    std::function<void(int view)> archiveView;
    // Before the restart question of a pushed version: write the restart helper to `path`.
    std::function<void(const std::string& path)> writeRestartHelper;
    // The running program, started again by "reconnect" and handed to the restart helper.
    std::string executablePath;
    // The arguments the running program was started with (data directory, "/service"), which
    // "reconnect" passes on so that the new instance runs in the same profile.
    std::vector<std::string> executableArguments;
};

inline constexpr std::string_view kRestartHelperName = "RestartExe.exe";

struct ChatContext {
    ChatContext(app::ProcessState& processState, ViewPort& viewPort, net::ServerLink& serverLink,
                app::EventLog* eventLog, DateClock dateClock, ChatHooks chatHooks);

    app::ProcessState& state;
    ViewPort& port;
    net::ServerLink& link;
    app::EventLog* log;  // may be null
    DateClock clock;
    ChatHooks hooks;

    OwnUser own;
    UserModel users;
    TopicList topics;
    ChatText text;
    std::string serverName;
    std::string lastWhisperer;  // the sender of the last whisper received
    // Topics announced from "Topics.ini" whose announcement has not come back: title -> the saved
    // file of a sticky one ("" otherwise).
    std::map<std::string, std::string> pendingRestores;
    int currentTab = 0;    // selected tab position
    int lastFrameTab = 0;  // tab of the last frame processed (new-content mark)
    bool sendWorkerRunning = false;

    // "hh:ii:ss" of now.
    std::string TimeText() const;
    bool PrivateTabCurrent() const { return text.CurrentView() == kPrivateView; }
};

}  // namespace talvoro::chat
