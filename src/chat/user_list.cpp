#include "chat/user_list.h"

#include "net/frame.h"
#include "net/message_kind.h"
#include "net/messages.h"

namespace talvoro::chat {

namespace {

bool OwnFileHalt(const ChatContext& ctx) {
    return ctx.state.settings.FileServerHalt.load() != 0;
}

void AwayReset(ChatContext& ctx) {
    if (ctx.hooks.awayReset) {
        ctx.hooks.awayReset();
    }
}

void AddRecipient(Recipients& recipients, const OnlineUser& user) {
    recipients.list += user.name + "\n" + user.address + "\n";
}

}  // namespace

net::UserRoster WithoutUnnamedRecords(const net::UserRoster& roster) {
    net::UserRoster named{{}, roster.serverVersion};
    for (const net::UserRecord& record : roster.users) {
        if (!record.name.empty()) {
            named.users.push_back(record);
        }
    }
    return named;
}

void RebuildUserList(ChatContext& ctx) {
    const std::vector<UserRow> rows = ctx.users.Rows(ctx.own, OwnFileHalt(ctx));
    ctx.port.UserListChanged(rows, ctx.users.SelectedRow());
    SelectionChanged(ctx);
}

void SelectionChanged(ChatContext& ctx) {
    SelectionState selection = ctx.users.Selection(ctx.own);
    selection.privateTabCurrent = ctx.PrivateTabCurrent();
    selection.sendWorkerRunning = ctx.sendWorkerRunning;
    ctx.port.SetUserActions(ComputeUserActions(selection));
}

void SelectUserRow(ChatContext& ctx, int row) {
    ctx.users.Select(row);
    SelectionChanged(ctx);
}

void ToggleReject(ChatContext& ctx, std::int32_t id) {
    ctx.users.RejectedList.Toggle(id);
    ctx.link.SendToServer(net::RejectNotice{id}.Encode());
    RebuildUserList(ctx);
}

void RejectTicked(ChatContext& ctx) {
    for (int row = 0; row < ctx.users.RowCount(); ++row) {
        const OnlineUser* user = ctx.users.AtRow(row);
        if (ctx.users.Ticked(row) && user->id != ctx.own.id) {
            ToggleReject(ctx, user->id);
        }
    }
    AwayReset(ctx);
    SelectionChanged(ctx);
}

void ToggleRejectRow(ChatContext& ctx, int row) {
    if (const OnlineUser* user = ctx.users.AtRow(row)) {
        ToggleReject(ctx, user->id);
        AwayReset(ctx);
    }
}

void RemoveUser(ChatContext& ctx, std::int32_t id) {
    if (ctx.users.Remove(id)) {
        ctx.port.UserListChanged(ctx.users.Rows(ctx.own, OwnFileHalt(ctx)),
                                 ctx.users.SelectedRow());
        SelectionChanged(ctx);
    }
    ShowUserCount(ctx);
}

void ShowUserCount(ChatContext& ctx) {
    ctx.port.SetStatusField(StatusField::UsersOnline,
                            "Clients: " + std::to_string(ctx.users.RowCount()));
}

Recipients RowRecipients(const ChatContext& ctx, int row) {
    Recipients recipients;
    if (const OnlineUser* user = ctx.users.AtRow(row)) {
        AddRecipient(recipients, *user);
    }
    return recipients;
}

Recipients GroupRecipients(const ChatContext& ctx) {
    Recipients recipients;
    for (int row = 0; row < ctx.users.RowCount(); ++row) {
        const OnlineUser* user = ctx.users.AtRow(row);
        if (ctx.users.Ticked(row) && user->id != ctx.own.id) {
            AddRecipient(recipients, *user);
            ++recipients.count;
        }
    }
    return recipients;
}

}  // namespace talvoro::chat
