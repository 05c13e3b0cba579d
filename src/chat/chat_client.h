#pragma once
// The client side of the chat: owns the chat model (ChatContext) and is what the screen and the
// session talk to. The session hands it every frame from the server and its send failures; the
// main window hands it the user's actions (send, tab and row selection, ticks, reject, away) and
// renders what it reports through the view port.
//
// Wiring: make the ClientSession, then the ChatClient with the session as its ServerLink, then
// session.SetEvents(&chatClient); call Start() once the main window exists, before the logon.
//
// Frames come in through OnFrame; what each changed goes to the frame-result handler, which the
// owner acts on (unread marks, notifications, the end of the session). The chat model itself is
// the client's own: others read it (Context() is const) and change it only through the methods.
//
// Thread: everything is for the GUI thread, the thread that constructed the ChatClient, except
// OnSendFailed, which any thread may call (it hands the question to the GUI thread through the
// GuiQueue). The ChatClient must outlive the session's use of it and the work it posted.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "chat/chat_context.h"
#include "chat/gui_queue.h"
#include "chat/send_action.h"
#include "chat/server_frames.h"
#include "chat/topic_requests.h"
#include "net/client_session.h"

namespace talvoro::chat {

class ChatClient : public net::SessionEvents {
  public:
    // `log` and `gui` may be null; an empty `clock` reads the wall clock.
    ChatClient(app::ProcessState& state, ViewPort& port, net::ServerLink& link, app::EventLog* log,
               DateClock clock = {}, ChatHooks hooks = {}, GuiQueue* gui = nullptr);

    // Creates the tabs and selects "Main"; shows "Clients: 0".
    void Start();

    // What each frame changed, after it was handled.
    void SetFrameResultHandler(std::function<void(const FrameResult&)> handler);
    void OnFrame(const net::Frame& frame) override;
    void OnSendFailed() override;

    // The input line was sent (Return, Send button, kick/ban menu items). On Cleared the caller
    // takes the away reset.
    SendOutcome Send(std::string_view line);
    // The input line with the whisper prefix of the user in `row` (unchanged when no such row).
    std::string WhisperPrefixForRow(std::string_view line, int row) const;
    // The input line with the group whisper prefix "@@[]: ".
    static std::string GroupWhisperPrefix(std::string_view line);

    void SelectUserRow(int row);
    // The user (un)ticked a row's check box in the list; nothing is redrawn.
    void SetRowTicked(int row, bool ticked);
    // "Select All" / "Clear All".
    void SetAllTicked(bool ticked);
    void ToggleRejectRow(int row);
    void RejectTicked();
    // A send-file worker started or ended (enables "&Transfer to").
    void SetSendWorkerRunning(bool running);

    void SelectTab(int position);
    void SetPrivateVisible(bool visible);
    void MarkTabUnread(int position);
    void ClearUnreadMark();
    // "&Clear Topic Content": empties the current view.
    void ClearCurrentView();
    // Topics: spawn (returns the title check), close the topic at tab `position` when allowed.
    TitleCheck RequestSpawn(std::string_view typed, bool sticky);
    bool RequestClose(int position);
    // Archives: the current tab's view to `path`; every tab and "Topics.ini" at shutdown.
    bool SaveSession(const std::string& path);
    bool SaveTopicsAtShutdown();
    // The server's saved content of a sticky topic, into view `view`.
    bool LoadTopicContent(int view, std::string_view rtf);
    // Redraws the user list (after "ListUserColors" changed).
    void RebuildUserList();

    // Sends the own away status ("1" away, "0" present) and keeps it.
    void SetAwayStatus(OwnStatus status);
    // A notice of another part (file transfer, file server) written as a server line.
    void WriteServerLine(std::string_view text, bool toCurrentTab);

    const ChatContext& Context() const { return ctx_; }

  private:
    ChatContext ctx_;
    std::function<void(const FrameResult&)> onFrameResult_;
    GuiQueue* gui_;
    std::thread::id guiThread_;
};

}  // namespace talvoro::chat
