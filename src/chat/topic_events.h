#pragma once
// The tab bar over the chat model: the tabs at start, tab selection, the spawn and close
// announcements from the server, showing and hiding "Private Group", and the unread marks.
//
// Thread: GUI thread only. Announcements that name no valid tab change nothing.

#include <cstdint>
#include <string>

#include "chat/chat_context.h"

namespace talvoro::chat {

// Creates the "Main" tab (and "Private Group" when "IsPrivateVisible") and selects "Main".
void StartTabs(ChatContext& ctx);
// Selects tab `position`: its view becomes current and, when it changed, scrolls to its end
// unless autoscroll is off; the per-user actions follow. The topic byte of later frames is this
// position.
void SelectTab(ChatContext& ctx, int position);
// A topic was spawned (spawned 0: live, announced with a notice line; else a topic that existed
// before this client joined). The new tab goes just left of "Private Group" and is not selected.
// Ignored when three topics exist already.
void TopicOpened(ChatContext& ctx, std::int32_t owner, std::string title, bool sticky,
                 std::int32_t spawned);
// The topic at tab `position` was closed by `closer`: notice line, archive when "AutoSaveSession"
// is on, tab removed, selection moved left when it was at or right of the closed tab.
void TopicClosed(ChatContext& ctx, std::int32_t closer, int position);
// Shows or hides the "Private Group" tab ("IsPrivateVisible").
void SetPrivateVisible(ChatContext& ctx, bool visible);
// Marks tab `position` unread (UnreadTabs and the tab image) unless it is already.
void MarkTabUnread(ChatContext& ctx, int position);
// Clears the unread mark of the selected tab.
void ClearUnreadMark(ChatContext& ctx);

}  // namespace talvoro::chat
