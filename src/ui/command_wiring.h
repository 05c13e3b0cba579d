#pragma once
// Routes the main window's numbered events and control events to the chat client: the send
// command, tab and row selection, ticks, whisper prefixes, rejects, kick and ban, the private
// group and the tab shortcuts; and the application commands to the run loop's own actions
// (show/hide, quit, away), the Options dialog and the user-details box. Commands of parts that do
// not exist yet keep the window's fallback.
//
// Thread: GUI thread only. The window, the client and the port must outlive the handlers (the
// run loop owns all three and destroys the window first).

#include <functional>

#include "chat/chat_client.h"
#include "ui/main_window.h"
#include "ui/menus.h"

namespace talvoro::ui {

struct AppCommandActions {
    std::function<void()> toggleMainWindow;  // event 2
    std::function<void()> openTransferDir;   // event 3
    std::function<void()> requestQuit;       // event 4
    std::function<void()> toggleAway;        // event 5
    // Side effects of the Options dialog's Save that belong to the run loop and the servers.
    std::function<void()> saveSettings;      // writes the preferences file
    std::function<void()> stopKeepAlive;     // this process's server re-arms its keep-alive
    std::function<void()> restartAwayTimer;  // a running away timer starts over
    // The file server of a client: started when it receives files again, stopped when it no
    // longer does. Empty in tests that have none.
    std::function<void()> startFileServer;
    std::function<void()> stopFileServer;
};

// What the menus need to know now, taken from the chat model.
MenuContext MenuContextOf(const chat::ChatContext& ctx);

void WireCommands(MainWindow& window, chat::ChatClient& chat, AppCommandActions actions);

}  // namespace talvoro::ui
