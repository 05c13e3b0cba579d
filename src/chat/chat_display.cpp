#include "chat/chat_display.h"

namespace talvoro::chat {

namespace {

TextRun OwnRun(const ChatContext& ctx, std::string text, std::int32_t color, bool bold) {
    return TextRun{std::move(text), color, bold, ctx.own.font, ctx.own.fontSize};
}

}  // namespace

bool AutoscrollSuppressed(const ScrollState& state) {
    return state.scrollLockOn || (!state.windowShown && state.noScrollHidden);
}

bool ChatScrolls(bool viewIsCurrent, bool suppressed, bool ownMessage) {
    return viewIsCurrent && (!suppressed || ownMessage);
}

std::string TimePrefix(const ChatContext& ctx) {
    if (ctx.state.settings.AlwaysMessTime == 0) {
        return {};
    }
    return "[" + ctx.TimeText() + "] ";
}

bool AutoscrollSuppressed(const ChatContext& ctx) {
    return AutoscrollSuppressed(ScrollState{ctx.port.ScrollLockOn(), ctx.state.WindowShown,
                                            ctx.state.settings.NoScrollHidden != 0});
}

void WriteChatHead(ChatContext& ctx, std::string_view text, std::int32_t color) {
    ctx.text.Append(ctx.text.EchoView(), OwnRun(ctx, std::string(text), color, true));
}

void WriteChatBody(ChatContext& ctx, std::string_view text, std::int32_t color) {
    ctx.text.Append(ctx.text.EchoView(), OwnRun(ctx, std::string(text) + "\n", color, false));
    if (ctx.state.ChatMessageSound) {
        ctx.port.Beep(kChatBeepHz);
    }
}

void WriteServerLine(ChatContext& ctx, std::string_view text, bool toCurrentTab) {
    const int view = toCurrentTab ? ctx.text.CurrentView() : kMainView;
    ctx.text.Append(view, OwnRun(ctx, std::string(text) + "\n", kBlack, false));
    if (view == ctx.text.CurrentView() && !AutoscrollSuppressed(ctx)) {
        ctx.port.ScrollToEnd(view);
    }
    if (ctx.state.settings.SMessSnd != 0) {
        ctx.port.Beep(kServerLineBeepHz);
    }
}

void ScrollCurrentView(ChatContext& ctx) {
    if (!AutoscrollSuppressed(ctx)) {
        ctx.port.ScrollToEnd(ctx.text.CurrentView());
    }
}

void DisplayIncomingChat(ChatContext& ctx, std::int32_t id, std::string_view text,
                         net::MessageKind kind) {
    if (ctx.users.RejectedList.Contains(id)) {
        return;
    }
    std::string name = "#" + std::to_string(id);
    std::int32_t color = kBlack;
    if (const OnlineUser* sender = ctx.users.FindById(id)) {
        name = sender->name;
        color = sender->color;
    }
    if (kind == net::MessageKind::Whisper) {
        WriteChatHead(ctx, TimePrefix(ctx) + name + " (private): ", color);
        ctx.lastWhisperer = name;
    } else {
        WriteChatHead(ctx, TimePrefix(ctx) + name + ": ", color);
    }
    WriteChatBody(ctx, text, color);
    const bool current = ctx.text.EchoView() == ctx.text.CurrentView();
    if (ChatScrolls(current, AutoscrollSuppressed(ctx), name == ctx.own.name)) {
        ctx.port.ScrollToEnd(ctx.text.EchoView());
    }
    if (id != ctx.own.id && kind != net::MessageKind::AwayStatus) {
        ctx.state.NewContent = true;
    }
}

}  // namespace talvoro::chat
