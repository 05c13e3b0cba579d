#pragma once
// The actions of the "Users Online" list over the chat model: rebuild, selection changed, reject
// toggle, reject of the ticked users, removal of a user who left, and the recipient lists of a
// file transfer.
//
// Thread: GUI thread only. Rows that do not exist are ignored.

#include <cstdint>
#include <string>

#include "chat/chat_context.h"
#include "net/user_roster.h"

namespace talvoro::chat {

// The roster without its records that have no name: connections that have not logged on yet,
// which the server lists but never announces leaving.
net::UserRoster WithoutUnnamedRecords(const net::UserRoster& roster);

// Shows the model's rows (ticks and selection kept by row position) and runs SelectionChanged.
void RebuildUserList(ChatContext& ctx);
// Enables the per-user actions for the selected row.
void SelectionChanged(ChatContext& ctx);
// The user clicked `row` (-1: none).
void SelectUserRow(ChatContext& ctx, int row);
// Toggles `id` in RejectedList, tells the server (RejectNotice + id) and rebuilds.
void ToggleReject(ChatContext& ctx, std::int32_t id);
// The reject toggle for every ticked row but the own one, then the away reset and the
// selection-changed step.
void RejectTicked(ChatContext& ctx);
// The reject toggle for the user in `row`, then the away reset.
void ToggleRejectRow(ChatContext& ctx, int row);
// A user left: removes the record and its row (selection rule of UserModel::Remove), runs the
// selection-changed step and writes "Clients: n" into the third status field.
void RemoveUser(ChatContext& ctx, std::int32_t id);
// "Clients: " + the number of users online, into the third status field.
void ShowUserCount(ChatContext& ctx);

// Recipients of a file transfer: name + "\n" + address + "\n" per user, and how many.
struct Recipients {
    std::string list;
    int count = 0;
};
// The user in `row` (count 0 means: a single user, as the send worker expects); empty list when
// the row does not exist.
Recipients RowRecipients(const ChatContext& ctx, int row);
// Every ticked row but the own one.
Recipients GroupRecipients(const ChatContext& ctx);

}  // namespace talvoro::chat
