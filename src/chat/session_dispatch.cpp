#include "chat/session_dispatch.h"

#include <string>

#include "app/date_time.h"
#include "chat/chat_display.h"
#include "chat/send_action.h"
#include "chat/topic_events.h"
#include "chat/user_list.h"
#include "net/message_kind.h"
#include "net/text_fields.h"

namespace talvoro::chat {

namespace {

using net::MessageKind;

constexpr std::string_view kRefusalTitle = "Talvoro: Error connecting to server";

char Sep(MessageKind kind) {
    return net::KindChar(kind);
}

std::int32_t ValField(std::string_view text, MessageKind kind, int k) {
    return net::ReadNumber(net::Field(text, Sep(kind), k));
}

// A notice without its leading "** ".
std::string_view WithoutMarker(std::string_view line) {
    return line.size() > 3 ? line.substr(3) : std::string_view{};
}

void ShowLastServerMessage(ChatContext& ctx, std::string_view line) {
    ctx.port.SetStatusField(StatusField::ServerMessage, WithoutMarker(line));
}

void RouteChat(ChatContext& ctx, const net::Frame& frame) {
    ctx.lastFrameTab = 0;
    ctx.text.SetEchoView(kMainView);
    const auto kind = static_cast<MessageKind>(frame.kind);
    if (kind != MessageKind::Whisper && kind != MessageKind::PublicMessage) {
        return;
    }
    if (const TopicRecord* record = ctx.topics.AtTab(frame.topic)) {
        ctx.text.SetEchoView(record->view);
        ctx.lastFrameTab = frame.topic;
    }
}

void OnUserQuit(ChatContext& ctx, std::string_view text) {
    const std::int32_t id = ValField(text, MessageKind::UserQuit, 1);
    ctx.users.RejectedList.TestAndRemove(id);
    ctx.users.RejectsMeList.TestAndRemove(id);
    ctx.users.NoFileReceiveList.TestAndRemove(id);
    ctx.users.AwayList.TestAndRemove(id);
    ctx.topics.ClearOwner(id);
    RemoveUser(ctx, id);
    const std::string_view line = net::FieldsFrom(text, Sep(MessageKind::UserQuit), 2);
    ShowLastServerMessage(ctx, line);
    WriteServerLine(ctx, line, false);
    ctx.state.NewContent = true;
}

void OnAwayStatus(ChatContext& ctx, std::string_view text) {
    const std::int32_t id = ValField(text, MessageKind::AwayStatus, 1);
    ctx.users.AwayList.TestAndRemove(id);
    if (text.ends_with('1')) {
        ctx.users.AwayList.Add(id);
        const std::string& awayText = ctx.state.settings.AwayText;
        if (!awayText.empty()) {
            DisplayIncomingChat(ctx, net::NumberText(id) + Sep(MessageKind::AwayStatus) + awayText,
                                MessageKind::AwayStatus);
        }
    }
    RebuildUserList(ctx);
}

void OnFileReceiveStatus(ChatContext& ctx, std::string_view text) {
    const std::int32_t id = ValField(text, MessageKind::FileReceiveStatus, 1);
    ctx.users.NoFileReceiveList.TestAndRemove(id);
    if (text.ends_with('1')) {
        ctx.users.NoFileReceiveList.Add(id);
    }
    RebuildUserList(ctx);
}

void OnServerNotice(ChatContext& ctx, std::string_view text) {
    ShowLastServerMessage(ctx, text);
    WriteServerLine(ctx, text, false);
    ctx.state.NewContent = true;
}

void OnRefusal(ChatContext& ctx, std::string_view text) {
    if (ctx.state.ServerRunning) {
        return;
    }
    WriteServerLine(ctx, text, false);
    ctx.port.SetMainWindowEnabled(false);
    // The session ends here, before the box: the server closes the connection next, and that
    // close, like a send that fails while the box is open, is no lost server to ask about.
    ctx.state.QuitRequested = true;
    ctx.port.Ask(Question{std::string(kRefusalTitle), ReplaceAll(text, "** ", ""),
                          MessageButtons::Ok, MessageIcon::Error});
}

// A Logon reaches only a server; this client answers that it is none. The client of the own
// server never answers: its server would pass a refusal from the operator on to everybody.
void OnLogon(ChatContext& ctx) {
    if (ctx.state.ServerRunning) {
        return;
    }
    const app::Settings& settings = ctx.state.settings;
    std::string payload(1, Sep(MessageKind::Refusal));
    payload += "You're attempting to connect to a client only!\n** Try a real Talvoro server at <" +
               settings.Host + ":" + net::NumberText(settings.Port) + "> instead.";
    ctx.link.SendToServer(payload);
}

void Dispatch(ChatContext& ctx, MessageKind kind, const net::Frame& frame, std::string_view text) {
    switch (kind) {
        case MessageKind::UserRoster:
            if (const auto roster = net::DecodeUserRoster(frame.raw)) {
                ApplyUserRoster(ctx, *roster);
            }
            break;
        case MessageKind::UserQuit:
            OnUserQuit(ctx, text);
            break;
        case MessageKind::AwayStatus:
            OnAwayStatus(ctx, text);
            break;
        case MessageKind::FileReceiveStatus:
            OnFileReceiveStatus(ctx, text);
            break;
        case MessageKind::RejectNotice:
            ctx.users.RejectsMeList.Toggle(net::ReadNumber(text));
            RebuildUserList(ctx);
            break;
        case MessageKind::PublicMessage:
        case MessageKind::Whisper:
            DisplayIncomingChat(ctx, text, kind);
            break;
        case MessageKind::ServerNotice:
            OnServerNotice(ctx, text);
            break;
        case MessageKind::Heartbeat:
            if (!text.starts_with('#')) {
                WriteServerLine(ctx, text, false);
            }
            break;
        case MessageKind::TopicOpen:
            TopicOpened(ctx, ValField(text, kind, 1), std::string(net::Field(text, Sep(kind), 2)),
                        ValField(text, kind, 3) != 0, ValField(text, kind, 4));
            ctx.state.NewContent = true;
            break;
        case MessageKind::TopicClose:
            TopicClosed(ctx, ValField(text, kind, 1), ValField(text, kind, 2));
            ctx.state.NewContent = true;
            break;
        case MessageKind::Refusal:
            OnRefusal(ctx, text);
            break;
        case MessageKind::NewVersion:
            InstallNewVersion(ctx, text);
            break;
        case MessageKind::Logon:
            OnLogon(ctx);
            break;
        default:
            break;
    }
}

}  // namespace

void DispatchFrame(ChatContext& ctx, const net::Frame& frame) {
    RouteChat(ctx, frame);
    const auto kind = static_cast<MessageKind>(frame.kind);
    std::string text = frame.text;
    if (kind == MessageKind::ServerNotice || kind == MessageKind::Heartbeat ||
        kind == MessageKind::UserQuit) {
        text += " (" + ctx.TimeText() + ")";
    }
    if (net::IsMessageKind(frame.kind)) {
        Dispatch(ctx, kind, frame, text);
    }
    ++ctx.state.MessageCount;
}

void ApplyUserRoster(ChatContext& ctx, const net::UserRoster& received) {
    const net::UserRoster roster = WithoutUnnamedRecords(received);
    for (const net::UserRecord& r : roster.users) {
        ctx.users.Put(OnlineUser{r.id, r.logonTime, r.name, r.color, r.address, r.version});
        if (r.fileReceiveDisabled) {
            ctx.users.NoFileReceiveList.Add(r.id);
        }
        if (r.away) {
            ctx.users.AwayList.Add(r.id);
        }
    }
    ctx.state.ServerVersion = roster.serverVersion;
    if (roster.users.empty()) {
        RebuildUserList(ctx);
        return;
    }
    const net::UserRecord& first = roster.users.front();
    const net::UserRecord& last = roster.users.back();
    std::string line;
    if (roster.users.size() > 1 || last.name == ctx.own.name) {
        ctx.own.id = last.id;
        ctx.serverName = first.name;
        WriteServerLine(ctx,
                        "** Welcome " + ctx.own.name + ", your client version is " +
                            app::FormatVersion(app::kClientVersion) + " / " +
                            app::FormatVersion(roster.serverVersion),
                        false);
        line = "** You have joined server " + ctx.serverName + ", version " +
               app::FormatVersion(first.version) + " (" + ctx.TimeText() + ")";
        if (ctx.state.ServerRunning && ctx.hooks.restoreTopics) {
            ctx.hooks.restoreTopics();
        }
        ctx.users.Select(0);
    } else {
        ctx.state.NewContent = true;
        line = "** " + last.name + " has joined, client version " +
               app::FormatVersion(last.version) + " (" + ctx.TimeText() + ")";
    }
    WriteServerLine(ctx, line, false);
    ShowLastServerMessage(ctx, line);
    ShowUserCount(ctx);
    RebuildUserList(ctx);
}

void InstallNewVersion(ChatContext& ctx, std::string_view versionText) {
    const std::string helper = ctx.state.DataDir + std::string(kRestartHelperName);
    if (ctx.hooks.writeRestartHelper) {
        ctx.hooks.writeRestartHelper(helper);
    }
    const MessageAnswer answer = ctx.port.Ask(
        Question{"Restart Talvoro",
                 "Received new client version " + std::string(versionText) +
                     " from server.\n\nPress <OK> to restart or <CANCEL> to quit program.",
                 MessageButtons::OkCancel, MessageIcon::Question});
    if (answer == MessageAnswer::Ok) {
        ctx.port.StartProgram(helper, {ctx.hooks.executablePath, ctx.state.DataDir},
                              ctx.state.DataDir);
    }
    ctx.state.QuitRequested = true;
}

void ConnectionLost(ChatContext& ctx) {
    if (ctx.state.QuitRequested) {
        return;  // the session is ending anyway (a refusal, a pushed version, the user's quit)
    }
    const MessageAnswer answer = ctx.port.Ask(Question{
        "Talvoro: Network Troubles",
        "Could not communicate with server " + ctx.serverName + "!\n\nShall i try to reconnect?",
        MessageButtons::YesNo, MessageIcon::Error});
    if (answer == MessageAnswer::Yes && !ctx.hooks.executablePath.empty()) {
        ctx.port.StartProgram(ctx.hooks.executablePath, ctx.hooks.executableArguments, {});
    }
    ctx.state.QuitRequested = true;
}

}  // namespace talvoro::chat
