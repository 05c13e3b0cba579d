#pragma once
// Writing chat text into the views: the three line writers (chat head, chat body, server line),
// the time prefix, the autoscroll rule and the display of an incoming chat message. All text
// uses the own font face and size, whoever wrote it.
//
// Thread: GUI thread only.

#include <cstdint>
#include <string>
#include <string_view>

#include "chat/chat_context.h"
#include "net/message_kind.h"

namespace talvoro::chat {

inline constexpr int kChatBeepHz = 600;
inline constexpr int kServerLineBeepHz = 300;

// What decides whether new text may move a view.
struct ScrollState {
    bool scrollLockOn = false;
    bool windowShown = true;
    bool noScrollHidden = false;  // "NoScrollHidden"
};

// Autoscroll is off while Scroll Lock is on, and while the window is hidden with "NoScrollHidden".
bool AutoscrollSuppressed(const ScrollState& state);
// Whether an incoming chat line scrolls its view to the end: only the current view, and only
// when autoscroll is on or the line is the user's own message.
bool ChatScrolls(bool viewIsCurrent, bool suppressed, bool ownMessage);

// "[hh:ii:ss] " with "AlwaysMessTime" on, else empty.
std::string TimePrefix(const ChatContext& ctx);
bool AutoscrollSuppressed(const ChatContext& ctx);

// Appends `text` in bold to the echo view.
void WriteChatHead(ChatContext& ctx, std::string_view text, std::int32_t color);
// Appends `text` and a line break in regular weight to the echo view; beeps (600 Hz) when
// ChatMessageSound is on.
void WriteChatBody(ChatContext& ctx, std::string_view text, std::int32_t color);
// Appends a black notice line to the current view (`toCurrentTab`) or to "Main"; scrolls it when
// it is the current view and autoscroll is on; beeps (300 Hz) when "SMessSnd" is on.
void WriteServerLine(ChatContext& ctx, std::string_view text, bool toCurrentTab);
// Scrolls the current view to its end unless autoscroll is suppressed.
void ScrollCurrentView(ChatContext& ctx);

// Shows one chat message `text` from user `id`. Kinds: PublicMessage, Whisper, AwayStatus (the
// away notice). Messages of rejected senders are not shown. A sender not in the user list is
// shown as "#" + id in black.
void DisplayIncomingChat(ChatContext& ctx, std::int32_t id, std::string_view text,
                         net::MessageKind kind);

}  // namespace talvoro::chat
