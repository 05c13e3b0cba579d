#include "headless/console_view_port.h"

#include "chat/chat_ids.h"
#include "net/codepage.h"

namespace talvoro::headless {

void ConsoleViewPort::Write(std::string_view text) {
    if (text.empty()) {
        return;
    }
    const std::string utf8 = net::Utf8FromCp1252(text);
    std::fwrite(utf8.data(), 1, utf8.size(), out_);
    std::fflush(out_);
    lineOpen_ = text.back() != '\n';
}

void ConsoleViewPort::WriteLineBreakIfOpen() {
    if (lineOpen_) {
        Write("\n");
    }
}

void ConsoleViewPort::RunsAppended(int view, const chat::ChatDocument& document,
                                   std::size_t firstNew) {
    const auto caption = captions_.find(view);
    const std::string prefix =
        view == chat::kMainView || caption == captions_.end() ? "" : "[" + caption->second + "] ";
    const std::vector<chat::TextRun>& runs = document.Runs();
    for (std::size_t i = firstNew; i < runs.size(); ++i) {
        std::string_view text = runs[i].text;
        // Each line of a topic starts with the topic's caption.
        while (!text.empty()) {
            if (!lineOpen_) {
                Write(prefix);
            }
            const std::size_t end = text.find('\n');
            const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
            Write(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
}

void ConsoleViewPort::DocumentReplaced(int /*view*/, const chat::ChatDocument& /*document*/) {}

void ConsoleViewPort::ScrollToEnd(int /*view*/) {}

void ConsoleViewPort::SetStatusField(chat::StatusField /*field*/, std::string_view /*text*/) {}

void ConsoleViewPort::UserListChanged(std::span<const chat::UserRow> /*rows*/,
                                      int /*selectedRow*/) {}

void ConsoleViewPort::SetUserActions(const chat::UserActions& /*actions*/) {}

void ConsoleViewPort::TabInserted(int position, std::string_view caption, int view) {
    // Positions after the new tab move one up.
    std::map<int, int> moved;
    for (const auto& [at, tabView] : tabViews_) {
        moved[at >= position ? at + 1 : at] = tabView;
    }
    moved[position] = view;
    tabViews_ = std::move(moved);
    captions_[view] = std::string(caption);
}

void ConsoleViewPort::TabRemoved(int position) {
    std::map<int, int> moved;
    for (const auto& [at, tabView] : tabViews_) {
        if (at != position) {
            moved[at > position ? at - 1 : at] = tabView;
        }
    }
    tabViews_ = std::move(moved);
}

void ConsoleViewPort::TabRenamed(int position, std::string_view caption) {
    if (const auto tab = tabViews_.find(position); tab != tabViews_.end()) {
        captions_[tab->second] = std::string(caption);
    }
}

void ConsoleViewPort::TabSelected(int /*position*/, int /*view*/) {}

void ConsoleViewPort::SetTabUnread(int /*position*/, bool /*unread*/) {}

chat::MessageAnswer ConsoleViewPort::Ask(const chat::Question& question) {
    ShowInformation(question.title, question.text);
    switch (question.buttons) {
        case chat::MessageButtons::Ok:
            return chat::MessageAnswer::Ok;
        case chat::MessageButtons::OkCancel:
            return chat::MessageAnswer::Cancel;
        case chat::MessageButtons::YesNo:
            break;
    }
    return chat::MessageAnswer::No;
}

void ConsoleViewPort::ShowInformation(std::string_view title, std::string_view text) {
    WriteLineBreakIfOpen();
    Write(std::string(title) + ": " + std::string(text) + "\n");
}

void ConsoleViewPort::SetMainWindowEnabled(bool /*enabled*/) {}

void ConsoleViewPort::OpenWithDesktop(const std::string& /*path*/) {}

bool ConsoleViewPort::StartProgram(const std::string& /*path*/,
                                   const std::vector<std::string>& /*arguments*/,
                                   const std::string& /*workDir*/) {
    return false;
}

void ConsoleViewPort::Beep(int /*frequencyHz*/) {}

}  // namespace talvoro::headless
