#pragma once
// The console as the operator's window: chat text and server lines of every view are written to a
// stream as plain UTF-8 text (lines of a topic carry the topic's caption in brackets), questions
// are printed and answered with their cautious choice (No, Cancel), and the desktop services
// (tones, flashing, opening files, starting programs) do nothing. The status bar, the user list
// and the tab bar have nothing to show on a console.
//
// Thread: the console loop's thread only, like every ViewPort.

#include <cstdio>
#include <map>
#include <string>

#include "chat/view_port.h"

namespace talvoro::headless {

class ConsoleViewPort : public chat::ViewPort {
  public:
    // `out` must outlive the port; every write is flushed at once.
    explicit ConsoleViewPort(std::FILE* out) : out_(out) {}

    void RunsAppended(int view, const chat::ChatDocument& document, std::size_t firstNew) override;
    void DocumentReplaced(int view, const chat::ChatDocument& document) override;
    void ScrollToEnd(int view) override;
    bool ScrollLockOn() const override { return false; }

    void SetStatusField(chat::StatusField field, std::string_view text) override;
    void UserListChanged(std::span<const chat::UserRow> rows, int selectedRow) override;
    void SetUserActions(const chat::UserActions& actions) override;

    void TabInserted(int position, std::string_view caption, int view) override;
    void TabRemoved(int position) override;
    void TabRenamed(int position, std::string_view caption) override;
    void TabSelected(int position, int view) override;
    void SetTabUnread(int position, bool unread) override;

    chat::MessageAnswer Ask(const chat::Question& question) override;
    void ShowInformation(std::string_view title, std::string_view text) override;
    void SetMainWindowEnabled(bool enabled) override;
    void OpenWithDesktop(const std::string& path) override;
    bool StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::string& workDir) override;
    void Beep(int frequencyHz) override;

  private:
    // Writes Windows-1252 `text` as UTF-8.
    void Write(std::string_view text);
    void WriteLineBreakIfOpen();

    std::FILE* out_;
    std::map<int, std::string> captions_;  // view -> caption of its tab
    std::map<int, int> tabViews_;          // tab position -> view
    bool lineOpen_ = false;                // the last text written did not end a line
};

}  // namespace talvoro::headless
