#pragma once
// A recording fake of the chat view port: it keeps a mirror of everything the core rendered
// (documents, rows, actions, tabs, status fields) and a log of the questions, scrolls, beeps and
// started programs, and answers questions from a script. Also a GuiQueue whose posted work the
// test runs by hand.
//
// Thread: RecordingView is used by the test's GUI thread only; ManualGuiQueue::Post may be called
// from any thread.

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "chat/gui_queue.h"
#include "chat/view_port.h"

namespace talvoro::test {

struct StartedProgram {
    std::string path;
    std::vector<std::string> arguments;
    std::string workDir;
    bool operator==(const StartedProgram&) const = default;
};

struct RecordedTab {
    std::string caption;
    int view = 0;
};

class RecordingView : public chat::ViewPort {
  public:
    // Script: answers for the next questions, in order; without one the box is closed (Ok for an
    // Ok box, Cancel for OkCancel, No for YesNo).
    std::deque<chat::MessageAnswer> answers;
    bool scrollLock = false;

    // What was rendered.
    std::map<int, chat::ChatDocument> documents;  // mirror built from RunsAppended
    std::array<std::string, 4> status;
    std::vector<chat::UserRow> rows;
    int selectedRow = -1;
    chat::UserActions actions;
    std::vector<RecordedTab> tabs;
    int selectedTab = -1;
    bool windowEnabled = true;

    // What was asked for.
    std::vector<chat::Question> questions;
    std::vector<int> scrolls;  // views scrolled to their end, in order
    std::vector<int> beeps;
    std::vector<StartedProgram> programs;

    // The plain text of a view, and its lines (split at "\n", the empty rest dropped).
    std::string Text(int view) const;
    std::vector<std::string> Lines(int view) const;
    // The last line of a view, empty when it has none.
    std::string LastLine(int view) const;
    // Whether some line of the view equals `line`.
    bool Shows(std::string_view line, int view = chat::kMainView) const;
    const std::vector<chat::TextRun>& Runs(int view) const;
    // The row of `name` in the rendered user list, -1 when it is not there.
    int RowOf(std::string_view name) const;
    // The rendered row of `name`; an empty row when it is not there.
    chat::UserRow Row(std::string_view name) const;

    void RunsAppended(int view, const chat::ChatDocument& document, std::size_t firstNew) override;
    void DocumentReplaced(int view, const chat::ChatDocument& document) override {
        documents[view] = document;
    }
    void ScrollToEnd(int view) override { scrolls.push_back(view); }
    bool ScrollLockOn() const override { return scrollLock; }
    void SetStatusField(chat::StatusField field, std::string_view text) override {
        status.at(static_cast<std::size_t>(field)) = std::string(text);
    }
    void UserListChanged(std::span<const chat::UserRow> newRows, int selected) override {
        rows.assign(newRows.begin(), newRows.end());
        selectedRow = selected;
    }
    void SetUserActions(const chat::UserActions& newActions) override { actions = newActions; }
    void TabInserted(int position, std::string_view caption, int view) override;
    void TabRemoved(int position) override;
    void TabRenamed(int position, std::string_view caption) override;
    void TabSelected(int position, int /*view*/) override { selectedTab = position; }
    void SetTabUnread(int /*position*/, bool /*unread*/) override {}
    chat::MessageAnswer Ask(const chat::Question& question) override;
    void ShowInformation(std::string_view /*title*/, std::string_view /*text*/) override {}
    void SetMainWindowEnabled(bool enabled) override { windowEnabled = enabled; }
    void OpenWithDesktop(const std::string& /*path*/) override {}
    bool StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::string& workDir) override {
        programs.push_back(StartedProgram{path, arguments, workDir});
        return true;
    }
    void Beep(int frequencyHz) override { beeps.push_back(frequencyHz); }
};

// Work posted from any thread, run by the test on its own thread when it says so.
class ManualGuiQueue : public chat::GuiQueue {
  public:
    void Post(std::function<void()> work) override;
    // Runs what was posted so far, in order; returns how many ran.
    int RunPending();

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> work_;
};

}  // namespace talvoro::test
