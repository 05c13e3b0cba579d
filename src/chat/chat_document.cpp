#include "chat/chat_document.h"

#include <utility>

namespace talvoro::chat {

void ChatDocument::Append(TextRun run) {
    if (run.text.empty()) {
        return;
    }
    runs_.push_back(std::move(run));
}

std::string ChatDocument::PlainText() const {
    std::string text;
    for (const TextRun& run : runs_) {
        text += run.text;
    }
    return text;
}

}  // namespace talvoro::chat
