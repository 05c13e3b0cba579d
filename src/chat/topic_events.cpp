#include "chat/topic_events.h"

#include <cstddef>

#include "chat/chat_display.h"
#include "chat/topic_archive.h"
#include "chat/user_list.h"

namespace talvoro::chat {

namespace {

std::string NameOf(const ChatContext& ctx, std::int32_t id) {
    const OnlineUser* user = ctx.users.FindById(id);
    return user == nullptr ? std::string() : user->name;
}

// The unread flags right of `position` move one to the right; `position` starts read.
void ShiftUnreadRight(ChatContext& ctx, int position) {
    auto& flags = ctx.state.UnreadTabs;
    for (std::size_t i = flags.size() - 1; i > static_cast<std::size_t>(position); --i) {
        flags[i] = flags[i - 1];
    }
    flags[static_cast<std::size_t>(position)] = 0;
}

// The unread flags right of `position` move one to the left.
void ShiftUnreadLeft(ChatContext& ctx, int position) {
    auto& flags = ctx.state.UnreadTabs;
    for (std::size_t i = static_cast<std::size_t>(position); i + 1 < flags.size(); ++i) {
        flags[i] = flags[i + 1];
    }
    flags.back() = 0;
}

void SetCurrentTab(ChatContext& ctx, int position) {
    ctx.currentTab = position;
    ctx.link.SetSelectedTab(position);
}

}  // namespace

void StartTabs(ChatContext& ctx) {
    ctx.port.TabInserted(0, kMainTitle, kMainView);
    if (ctx.topics.PrivateVisible()) {
        ctx.port.TabInserted(1, kPrivateTitle, kPrivateView);
    }
    SelectTab(ctx, 0);
}

void SelectTab(ChatContext& ctx, int position) {
    const TopicRecord* record = ctx.topics.AtTab(position);
    if (record == nullptr) {
        return;
    }
    SetCurrentTab(ctx, position);
    const bool changed = record->view != ctx.text.CurrentView();
    ctx.text.SetCurrentView(record->view);
    ctx.port.TabSelected(position, record->view);
    if (changed) {
        ScrollCurrentView(ctx);
    }
    SelectionChanged(ctx);
}

void TopicOpened(ChatContext& ctx, std::int32_t owner, std::string title, bool sticky,
                 std::int32_t spawned) {
    const std::string caption = title;
    const std::optional<int> position = ctx.topics.InsertTopic(owner, std::move(title), sticky, 0);
    if (!position) {
        return;
    }
    TopicRecord& record = *ctx.topics.AtTab(*position);
    if (!ctx.text.Document(record.view).Empty()) {
        ctx.text.Clear(record.view);  // a view from the pool starts empty
    }
    ctx.port.TabInserted(*position, caption, record.view);
    ShiftUnreadRight(ctx, *position);
    if (ctx.currentTab >= *position) {
        SetCurrentTab(ctx, ctx.currentTab + 1);  // the selected tab moved right
    }
    if (CompleteRestore(ctx, *position)) {
        spawned = ctx.clock();  // reopened from "Topics.ini": no spawn line
    } else if (spawned == 0) {
        spawned = ctx.clock();
        WriteServerLine(ctx,
                        "** Topic <" + caption + "> has been spawned by " + NameOf(ctx, owner) +
                            " (" + ctx.TimeText() + ")",
                        false);
    }
    record.spawned = spawned;
}

void TopicClosed(ChatContext& ctx, std::int32_t closer, int position) {
    if (position < 1 || position > ctx.topics.TopicCount()) {
        return;
    }
    const int selected = ctx.currentTab;
    const TopicRecord& record = *ctx.topics.AtTab(position);
    WriteServerLine(ctx,
                    "** Topic <" + record.title + "> has been closed by " + NameOf(ctx, closer) +
                        " (" + ctx.TimeText() + ")",
                    false);
    if (ctx.state.settings.AutoSaveSession != 0 && ctx.hooks.archiveView) {
        ctx.hooks.archiveView(record.view);
    }
    ctx.topics.RemoveTopic(position);
    ctx.port.TabRemoved(position);
    ShiftUnreadLeft(ctx, position);
    SelectTab(ctx, selected >= position ? selected - 1 : selected);
}

void SetPrivateVisible(ChatContext& ctx, bool visible) {
    if (visible == ctx.topics.PrivateVisible()) {
        return;
    }
    ctx.state.settings.IsPrivateVisible = visible ? 1 : 0;
    if (!visible) {
        const int last = ctx.topics.TabCount() - 1;
        ctx.topics.SetPrivateVisible(false);
        ctx.port.TabRemoved(last);
        if (ctx.currentTab == last) {
            SelectTab(ctx, last - 1);
        }
        return;
    }
    ctx.topics.SetPrivateVisible(true);
    const int last = ctx.topics.TabCount() - 1;
    ctx.port.TabInserted(last, kPrivateTitle, kPrivateView);
    ctx.port.SetTabUnread(last, ctx.state.UnreadTabs[static_cast<std::size_t>(last)] != 0);
}

void MarkTabUnread(ChatContext& ctx, int position) {
    if (position < 0 || position >= ctx.topics.TabCount()) {
        return;
    }
    auto& flag = ctx.state.UnreadTabs[static_cast<std::size_t>(position)];
    if (flag == 0) {
        flag = 1;
        ctx.port.SetTabUnread(position, true);
    }
}

void ClearUnreadMark(ChatContext& ctx) {
    auto& flag = ctx.state.UnreadTabs[static_cast<std::size_t>(ctx.currentTab)];
    if (flag != 0) {
        flag = 0;
        ctx.port.SetTabUnread(ctx.currentTab, false);
    }
}

}  // namespace talvoro::chat
