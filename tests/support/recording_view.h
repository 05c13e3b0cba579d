#pragma once
// A recording fake of the chat view port: it keeps a mirror of everything the core rendered
// (documents, rows, actions, tabs, status fields) and a log of the other calls, and answers
// questions from a script. Also a GuiQueue whose posted work the test runs by hand.
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
    bool unread = false;
};

class RecordingView : public chat::ViewPort {
  public:
    // --- Script.
    // Answers for the next questions, in order; without one the box is closed: Ok for an Ok box,
    // Cancel for OkCancel, No for YesNo.
    std::deque<chat::MessageAnswer> answers;
    bool scrollLock = false;
    bool startProgramResult = true;

    // --- What was rendered.
    std::map<int, chat::ChatDocument> documents;  // mirror built from RunsAppended
    std::array<std::string, 4> status;
    std::vector<chat::UserRow> rows;
    int selectedRow = -1;
    chat::UserActions actions;
    std::vector<RecordedTab> tabs;
    int selectedTab = -1;
    int shownView = 0;
    bool windowEnabled = true;

    // --- What was asked for.
    std::vector<chat::Question> questions;
    std::vector<std::pair<std::string, std::string>> informations;
    std::vector<int> scrolls;  // views scrolled to their end, in order
    std::vector<int> beeps;
    int alerts = 0;
    std::vector<std::string> opened;
    std::vector<StartedProgram> programs;
    int userListUpdates = 0;
    int actionUpdates = 0;

    // The plain text of a view as rendered.
    std::string Text(int view) const;
    // The lines of a view (its text split at "\n"; the empty rest after the last one dropped).
    std::vector<std::string> Lines(int view) const;
    // The last line of a view, empty when it has none.
    std::string LastLine(int view) const;
    // The runs of a view as rendered.
    const std::vector<chat::TextRun>& Runs(int view) const;
    // Forgets the scrolls and beeps recorded so far.
    void ClearScrollsAndBeeps();

    void RunsAppended(int view, const chat::ChatDocument& document, std::size_t firstNew) override;
    void DocumentReplaced(int view, const chat::ChatDocument& document) override;
    void ScrollToEnd(int view) override;
    bool ScrollLockOn() const override { return scrollLock; }
    void SetStatusField(chat::StatusField field, std::string_view text) override;
    void UserListChanged(std::span<const chat::UserRow> newRows, int selected) override;
    void SetUserActions(const chat::UserActions& newActions) override;
    void TabInserted(int position, std::string_view caption, int view) override;
    void TabRemoved(int position) override;
    void TabRenamed(int position, std::string_view caption) override;
    void TabSelected(int position, int view) override;
    void SetTabUnread(int position, bool unread) override;
    chat::MessageAnswer Ask(const chat::Question& question) override;
    void ShowInformation(std::string_view title, std::string_view text) override;
    void SetMainWindowEnabled(bool enabled) override { windowEnabled = enabled; }
    void OpenWithDesktop(const std::string& path) override { opened.push_back(path); }
    bool StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::string& workDir) override;
    void Beep(int frequencyHz) override { beeps.push_back(frequencyHz); }
    void Alert() override { ++alerts; }
};

// Work posted from any thread, run by the test on its own thread when it says so.
class ManualGuiQueue : public chat::GuiQueue {
  public:
    void Post(std::function<void()> work) override;
    // Runs what was posted so far, in order; returns how many ran.
    int RunPending();
    std::size_t PendingCount() const;

  private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> work_;
};

}  // namespace talvoro::test
