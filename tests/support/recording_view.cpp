#include "support/recording_view.h"

#include <utility>

namespace talvoro::test {

std::string RecordingView::Text(int view) const {
    const auto it = documents.find(view);
    return it == documents.end() ? std::string() : it->second.PlainText();
}

std::vector<std::string> RecordingView::Lines(int view) const {
    std::vector<std::string> lines;
    const std::string text = Text(view);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string RecordingView::LastLine(int view) const {
    const std::vector<std::string> lines = Lines(view);
    return lines.empty() ? std::string() : lines.back();
}

const std::vector<chat::TextRun>& RecordingView::Runs(int view) const {
    static const std::vector<chat::TextRun> kNone;
    const auto it = documents.find(view);
    return it == documents.end() ? kNone : it->second.Runs();
}

void RecordingView::ClearScrollsAndBeeps() {
    scrolls.clear();
    beeps.clear();
}

void RecordingView::RunsAppended(int view, const chat::ChatDocument& document,
                                 std::size_t firstNew) {
    chat::ChatDocument& mirror = documents[view];
    const auto& runs = document.Runs();
    for (std::size_t i = firstNew; i < runs.size(); ++i) {
        mirror.Append(runs[i]);
    }
}

void RecordingView::DocumentReplaced(int view, const chat::ChatDocument& document) {
    documents[view] = document;
}

void RecordingView::ScrollToEnd(int view) {
    scrolls.push_back(view);
}

void RecordingView::SetStatusField(chat::StatusField field, std::string_view text) {
    status[static_cast<std::size_t>(field)] = std::string(text);
}

void RecordingView::UserListChanged(std::span<const chat::UserRow> newRows, int selected) {
    rows.assign(newRows.begin(), newRows.end());
    selectedRow = selected;
    ++userListUpdates;
}

void RecordingView::SetUserActions(const chat::UserActions& newActions) {
    actions = newActions;
    ++actionUpdates;
}

void RecordingView::TabInserted(int position, std::string_view caption, int view) {
    if (position < 0 || position > static_cast<int>(tabs.size())) {
        return;
    }
    tabs.insert(tabs.begin() + position, RecordedTab{std::string(caption), view, false});
}

void RecordingView::TabRemoved(int position) {
    if (position >= 0 && position < static_cast<int>(tabs.size())) {
        tabs.erase(tabs.begin() + position);
    }
}

void RecordingView::TabRenamed(int position, std::string_view caption) {
    if (position >= 0 && position < static_cast<int>(tabs.size())) {
        tabs[static_cast<std::size_t>(position)].caption = std::string(caption);
    }
}

void RecordingView::TabSelected(int position, int view) {
    selectedTab = position;
    shownView = view;
}

void RecordingView::SetTabUnread(int position, bool unread) {
    if (position >= 0 && position < static_cast<int>(tabs.size())) {
        tabs[static_cast<std::size_t>(position)].unread = unread;
    }
}

chat::MessageAnswer RecordingView::Ask(const chat::Question& question) {
    questions.push_back(question);
    if (!answers.empty()) {
        const chat::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (question.buttons) {
        case chat::MessageButtons::Ok:
            return chat::MessageAnswer::Ok;
        case chat::MessageButtons::OkCancel:
            return chat::MessageAnswer::Cancel;
        case chat::MessageButtons::YesNo:
            return chat::MessageAnswer::No;
    }
    return chat::MessageAnswer::Cancel;
}

void RecordingView::ShowInformation(std::string_view title, std::string_view text) {
    informations.emplace_back(std::string(title), std::string(text));
}

bool RecordingView::StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                                 const std::string& workDir) {
    programs.push_back(StartedProgram{path, arguments, workDir});
    return startProgramResult;
}

void ManualGuiQueue::Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
}

int ManualGuiQueue::RunPending() {
    std::deque<std::function<void()>> ready;
    {
        std::lock_guard lock(mutex_);
        ready.swap(work_);
    }
    for (auto& work : ready) {
        work();
    }
    return static_cast<int>(ready.size());
}

std::size_t ManualGuiQueue::PendingCount() const {
    std::lock_guard lock(mutex_);
    return work_.size();
}

}  // namespace talvoro::test
