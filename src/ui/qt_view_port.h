#pragma once
// The Qt implementation of the chat core's view port: renders the core's documents, user rows,
// tabs and status texts in the main window, asks the user with message boxes, and offers the
// desktop services (open a file or folder, start a program, tones, window flashing).
//
// Thread: GUI thread only, like the port itself. Strings from the core are Windows-1252 bytes
// (paths included) and are converted here.

#include <QElapsedTimer>
#include <memory>

#include "chat/view_port.h"

namespace talvoro::ui {

class MainWindow;
class TonePlayer;

class QtViewPort : public chat::ViewPort {
  public:
    explicit QtViewPort(MainWindow& window);
    ~QtViewPort() override;

    void RunsAppended(int view, const chat::ChatDocument& document, std::size_t firstNew) override;
    void DocumentReplaced(int view, const chat::ChatDocument& document) override;
    void ScrollToEnd(int view) override;
    bool ScrollLockOn() const override;

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

    // Scroll Lock is read from the display server at most once per this many ms: every incoming
    // message asks for it, and each reading is a round trip to the server.
    static constexpr int kScrollLockReadMs = 250;

  private:
    MainWindow& window_;
    mutable QElapsedTimer scrollLockRead_;
    mutable bool scrollLockOn_ = false;
    std::unique_ptr<TonePlayer> tones_;
};

}  // namespace talvoro::ui
