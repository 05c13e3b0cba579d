#pragma once
// The topic and archive commands of the main window: "Spaw&n Topic" (304) opens the spawn dialog
// while fewer than three topics exist, "Close Topic" (310 + position) sends the close request
// when the own user may close that topic, "Topic &Info" (300) shows the selected tab's
// information without blocking the window, "&Save Session" (204) writes the current view.
//
// Thread: GUI thread only. The window and the chat client must outlive the handlers.

#include "chat/chat_client.h"
#include "ui/main_window.h"

namespace talvoro::ui {

void WireTopicCommands(MainWindow& window, chat::ChatClient& chat);

}  // namespace talvoro::ui
