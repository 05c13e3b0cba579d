#include "chat/session_dispatch.h"

#include <string>

#include "app/date_time.h"
#include "chat/chat_display.h"
#include "chat/send_action.h"
#include "chat/topic_events.h"
#include "chat/user_list.h"
#include "net/messages.h"

namespace talvoro::chat {

namespace {

using net::MessageKind;

constexpr std::string_view kRefusalTitle = "Talvoro: Error connecting to server";

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

// Notices get the local time appended: " (hh:ii:ss)".
std::string Stamped(const ChatContext& ctx, std::string_view line) {
    return std::string(line) + " (" + ctx.TimeText() + ")";
}

void OnUserQuit(ChatContext& ctx, const net::UserQuit& quit) {
    const std::int32_t id = quit.user;
    ctx.users.RejectedList.TestAndRemove(id);
    ctx.users.RejectsMeList.TestAndRemove(id);
    ctx.users.NoFileReceiveList.TestAndRemove(id);
    ctx.users.AwayList.TestAndRemove(id);
    ctx.topics.ClearOwner(id);
    RemoveUser(ctx, id);
    const std::string line = Stamped(ctx, quit.line);
    ShowLastServerMessage(ctx, line);
    WriteServerLine(ctx, line, false);
    ctx.state.NewContent = true;
}

void OnAwayStatus(ChatContext& ctx, const net::AwayStatus& status) {
    ctx.users.AwayList.TestAndRemove(status.user);
    if (status.away) {
        ctx.users.AwayList.Add(status.user);
        const std::string& awayText = ctx.state.settings.AwayText;
        if (!awayText.empty()) {
            DisplayIncomingChat(ctx, status.user, awayText, MessageKind::AwayStatus);
        }
    }
    RebuildUserList(ctx);
}

void OnFileReceiveStatus(ChatContext& ctx, const net::FileReceiveStatus& status) {
    ctx.users.NoFileReceiveList.TestAndRemove(status.user);
    if (status.disabled) {
        ctx.users.NoFileReceiveList.Add(status.user);
    }
    RebuildUserList(ctx);
}

void OnServerNotice(ChatContext& ctx, std::string_view notice) {
    const std::string text = Stamped(ctx, notice);
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
    ctx.link.SendToServer(
        net::Refusal{"You're attempting to connect to a client only!\n** Try a real Talvoro "
                     "server at <" +
                     settings.Host + ":" + std::to_string(settings.Port) + "> instead."}
            .Encode());
}

// Text kinds always decode (missing fields read as empty or 0); only a roster can fail.
void Dispatch(ChatContext& ctx, const net::Frame& frame) {
    switch (static_cast<MessageKind>(frame.kind)) {
        case MessageKind::UserRoster:
            if (const auto roster = net::DecodeFrame<net::UserRoster>(frame)) {
                ApplyUserRoster(ctx, *roster);
            }
            break;
        case MessageKind::UserQuit:
            OnUserQuit(ctx, *net::DecodeFrame<net::UserQuit>(frame));
            break;
        case MessageKind::AwayStatus:
            OnAwayStatus(ctx, *net::DecodeFrame<net::AwayStatus>(frame));
            break;
        case MessageKind::FileReceiveStatus:
            OnFileReceiveStatus(ctx, *net::DecodeFrame<net::FileReceiveStatus>(frame));
            break;
        case MessageKind::RejectNotice:
            ctx.users.RejectsMeList.Toggle(net::DecodeFrame<net::RejectNotice>(frame)->user);
            RebuildUserList(ctx);
            break;
        case MessageKind::PublicMessage: {
            const net::PublicMessage message = *net::DecodeFrame<net::PublicMessage>(frame);
            DisplayIncomingChat(ctx, message.sender, message.text, MessageKind::PublicMessage);
            break;
        }
        case MessageKind::Whisper: {
            const net::Whisper whisper = *net::DecodeFrame<net::Whisper>(frame);
            DisplayIncomingChat(ctx, whisper.sender, whisper.text, MessageKind::Whisper);
            break;
        }
        case MessageKind::ServerNotice:
            OnServerNotice(ctx, net::DecodeFrame<net::ServerNotice>(frame)->text);
            break;
        case MessageKind::Heartbeat:
            if (const auto beat = net::DecodeFrame<net::Heartbeat>(frame); beat->IsNotice()) {
                WriteServerLine(ctx, Stamped(ctx, beat->text), false);
            }
            break;
        case MessageKind::TopicOpen: {
            const net::TopicOpen topic = *net::DecodeFrame<net::TopicOpen>(frame);
            TopicOpened(ctx, topic.owner, topic.title, topic.sticky, topic.spawnTime.value_or(0));
            ctx.state.NewContent = true;
            break;
        }
        case MessageKind::TopicClose: {
            const net::TopicClose topic = *net::DecodeFrame<net::TopicClose>(frame);
            TopicClosed(ctx, topic.user, topic.position);
            ctx.state.NewContent = true;
            break;
        }
        case MessageKind::Refusal:
            OnRefusal(ctx, net::DecodeFrame<net::Refusal>(frame)->text);
            break;
        case MessageKind::NewVersion:
            InstallNewVersion(ctx, net::DecodeFrame<net::NewVersion>(frame)->versionText);
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
    // A read that ended in an out-of-bounds length counts as one frame and does nothing else.
    if (!frame.lengthError) {
        RouteChat(ctx, frame);
        Dispatch(ctx, frame);
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
        if (ctx.hooks.welcomed) {
            ctx.hooks.welcomed();
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
        // The helper starts the new version with the arguments the user started this one with.
        std::vector<std::string> arguments{ctx.hooks.executablePath, ctx.state.DataDir};
        arguments.insert(arguments.end(), ctx.hooks.executableArguments.begin(),
                         ctx.hooks.executableArguments.end());
        ctx.port.StartProgram(helper, arguments, ctx.state.DataDir);
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
