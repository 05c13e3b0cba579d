#pragma once
// The send action: turns the typed line into traffic. A public message to the selected tab, a
// whisper ("@@name: text"), a group whisper to the ticked users ("@@[]: text", and every line on
// the "Private Group" tab), and in the instance that runs the server the kick and ban commands.
// Whispers are echoed locally; addressing errors are written as notices into the current tab.
//
// Thread: GUI thread only.

#include <string>
#include <string_view>

#include "chat/chat_context.h"

namespace talvoro::chat {

enum class SendOutcome {
    Cleared,  // something was sent: clear the input line
    Kept,     // nothing sent, or a command: the input line keeps its text
};

// Runs the send action for the input line `line`. The caller clears the input line on Cleared
// and puts the focus into it in every case; after Cleared it also takes the away reset. Scrolling
// happens here.
SendOutcome SendAction(ChatContext& ctx, std::string_view line);

// Lower case as the commands compare: A-Z and 0xC0..0xDF get 32 added.
std::string LowerCase1252(std::string_view text);
// `text` with every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace talvoro::chat
