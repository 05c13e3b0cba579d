#include "chat/chat_text.h"

#include <utility>

namespace talvoro::chat {

const ChatDocument& ChatText::Document(int view) const {
    static const ChatDocument kEmpty;
    const auto it = documents_.find(view);
    return it == documents_.end() ? kEmpty : it->second;
}

void ChatText::Append(int view, TextRun run) {
    if (!Valid(view) || run.text.empty()) {
        return;
    }
    ChatDocument& document = documents_[view];
    const std::size_t first = document.RunCount();
    document.Append(std::move(run));
    port_.RunsAppended(view, document, first);
}

void ChatText::Clear(int view) {
    if (!Valid(view)) {
        return;
    }
    ChatDocument& document = documents_[view];
    document.Clear();
    port_.DocumentReplaced(view, document);
}

void ChatText::Replace(int view, std::vector<TextRun> runs) {
    if (!Valid(view)) {
        return;
    }
    ChatDocument& document = documents_[view];
    document.Replace(std::move(runs));
    port_.DocumentReplaced(view, document);
}

}  // namespace talvoro::chat
