#include "support/recording_view.h"

#include <algorithm>
#include <utility>

namespace talvoro::test {

std::string RecordingView::Text(int view) const {
    const auto it = documents.find(view);
    return it == documents.end() ? std::string() : it->second.PlainText();
}

std::vector<std::string> RecordingView::Lines(int view) const {
    std::vector<std::string> lines;
    const std::string text = Text(view);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string RecordingView::LastLine(int view) const {
    const std::vector<std::string> lines = Lines(view);
    return lines.empty() ? std::string() : lines.back();
}

bool RecordingView::Shows(std::string_view line, int view) const {
    const std::vector<std::string> lines = Lines(view);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::vector<chat::TextRun>& RecordingView::Runs(int view) const {
    static const std::vector<chat::TextRun> kNone;
    const auto it = documents.find(view);
    return it == documents.end() ? kNone : it->second.Runs();
}

int RecordingView::RowOf(std::string_view name) const {
    const auto it =
        std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.name == name; });
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

chat::UserRow RecordingView::Row(std::string_view name) const {
    const int row = RowOf(name);
    return row < 0 ? chat::UserRow{} : rows[static_cast<std::size_t>(row)];
}

void RecordingView::RunsAppended(int view, const chat::ChatDocument& document,
                                 std::size_t firstNew) {
    chat::ChatDocument& mirror = documents[view];
    for (std::size_t i = firstNew; i < document.Runs().size(); ++i) {
        mirror.Append(document.Runs()[i]);
    }
}

void RecordingView::TabInserted(int position, std::string_view caption, int view) {
    if (position >= 0 && position <= static_cast<int>(tabs.size())) {
        tabs.insert(tabs.begin() + position, RecordedTab{std::string(caption), view});
    }
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
        case chat::MessageButtons::YesNo:
            return chat::MessageAnswer::No;
        default:
            return chat::MessageAnswer::Cancel;
    }
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

}  // namespace talvoro::test
