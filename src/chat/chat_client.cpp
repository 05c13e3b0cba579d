#include "chat/chat_client.h"

#include <utility>

#include "chat/chat_display.h"
#include "chat/session_dispatch.h"
#include "chat/topic_archive.h"
#include "chat/topic_events.h"
#include "chat/user_list.h"
#include "net/frame.h"
#include "net/messages.h"

namespace talvoro::chat {

ChatClient::ChatClient(app::ProcessState& state, ViewPort& port, net::ServerLink& link,
                       app::EventLog* log, DateClock clock, ChatHooks hooks, GuiQueue* gui)
    : ctx_(state, port, link, log, std::move(clock), std::move(hooks)),
      gui_(gui),
      guiThread_(std::this_thread::get_id()) {
    // Archiving and restoring topics are the chat core's own unless a caller replaces them.
    if (!ctx_.hooks.archiveView) {
        ctx_.hooks.archiveView = [this](int view) { ArchiveView(ctx_, view); };
    }
    if (!ctx_.hooks.restoreTopics) {
        ctx_.hooks.restoreTopics = [this] { RestoreTopics(ctx_); };
    }
}

void ChatClient::Start() {
    StartTabs(ctx_);
    ShowUserCount(ctx_);
    RebuildUserList(ctx_);
}

void ChatClient::OnFrame(const net::Frame& frame) {
    DispatchFrame(ctx_, frame);
}

void ChatClient::OnSendFailed() {
    if (std::this_thread::get_id() == guiThread_) {
        ConnectionLost(ctx_);
    } else if (gui_ != nullptr) {
        gui_->Post([this] { ConnectionLost(ctx_); });
    } else {
        ctx_.state.QuitRequested = true;
    }
}

SendOutcome ChatClient::Send(std::string_view line) {
    return SendAction(ctx_, line);
}

std::string ChatClient::WhisperPrefixForRow(std::string_view line, int row) const {
    const OnlineUser* user = ctx_.users.AtRow(row);
    return user == nullptr ? std::string(line) : WhisperPrefix(line, user->name);
}

std::string ChatClient::GroupWhisperPrefix(std::string_view line) {
    return WhisperPrefix(line, "[]");
}

void ChatClient::SelectUserRow(int row) {
    chat::SelectUserRow(ctx_, row);
}

void ChatClient::SetRowTicked(int row, bool ticked) {
    ctx_.users.SetTicked(row, ticked);
}

void ChatClient::SetAllTicked(bool ticked) {
    ctx_.users.SetAllTicked(ticked);
    RebuildUserList(ctx_);
}

void ChatClient::ToggleRejectRow(int row) {
    chat::ToggleRejectRow(ctx_, row);
}

void ChatClient::ToggleRejectSelected() {
    chat::ToggleRejectRow(ctx_, ctx_.users.SelectedRow());
}

void ChatClient::RejectTicked() {
    chat::RejectTicked(ctx_);
}

void ChatClient::SetSendWorkerRunning(bool running) {
    ctx_.sendWorkerRunning = running;
    SelectionChanged(ctx_);
}

void ChatClient::SelectTab(int position) {
    chat::SelectTab(ctx_, position);
}

void ChatClient::SetPrivateVisible(bool visible) {
    chat::SetPrivateVisible(ctx_, visible);
}

void ChatClient::MarkTabUnread(int position) {
    chat::MarkTabUnread(ctx_, position);
}

void ChatClient::ClearUnreadMark() {
    chat::ClearUnreadMark(ctx_);
}

void ChatClient::ClearCurrentView() {
    ctx_.text.Clear(ctx_.text.CurrentView());
}

void ChatClient::SetAwayStatus(OwnStatus status) {
    const bool away = status == OwnStatus::Away;
    ctx_.link.SendToServer(net::AwayStatusToServer{away}.Encode());
    ctx_.own.status = status;
}

void ChatClient::WriteServerLine(std::string_view text, bool toCurrentTab) {
    chat::WriteServerLine(ctx_, text, toCurrentTab);
}

}  // namespace talvoro::chat
