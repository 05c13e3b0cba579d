#pragma once
// The one interface through which the chat core reaches the screen. The core owns the model (chat
// documents, user rows, tabs, status texts) and tells the port what changed; the port only renders
// it, asks the user, and offers the few desktop services the core needs. The Qt main window
// implements it; tests use a recording fake.
//
// Thread: every method is called on the GUI thread only, and the port calls back into the core on
// the GUI thread only. Other threads hand work to the GUI thread through GuiQueue
// (chat/gui_queue.h) and never call the port directly.
//
// Text: every std::string here is Windows-1252 bytes; the port converts at its edge.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chat/chat_document.h"
#include "chat/chat_ids.h"

namespace talvoro::chat {

// One row of the "Users Online" list, in list order (row i shows OnlineUsers record i).
struct UserRow {
    std::string name;        // column 0
    std::int32_t id = 0;     // column 1 (hidden), shown as decimal text
    std::int32_t color = 0;  // the user's text colour, 0x00BBGGRR ("ListUserColors")
    RowIcon icon = RowIcon::Normal;
    bool ticked = false;  // member of the private group
    bool grey = false;    // away: drawn in the grey-text colour when user colours are on

    bool operator==(const UserRow&) const = default;
};

// Which per-user actions are enabled for the selected row. A disabled action also loses its
// keyboard shortcut.
struct UserActions {
    bool details = false;        // "User &Details", Alt+D
    bool reject = false;         // "Toggle &reject", Alt+R
    bool rejectChecked = false;  // check mark of "Toggle &reject" and the Reject tool button
    bool whisper = false;        // "&Whisper to", Alt+W
    bool transfer = false;       // "&Transfer to", Alt+T

    bool operator==(const UserActions&) const = default;
};

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Question {
    std::string title;  // "Talvoro: Network Troubles"
    std::string text;   // lines separated by "\n"
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const Question&) const = default;
};

class ViewPort {
  public:
    virtual ~ViewPort() = default;

    // --- Chat views (500..504). The core owns one ChatDocument per view.
    // Runs [firstNew, end) were appended to `document`, the content of `view`. Appending must not
    // move a selection the user has made in the view.
    virtual void RunsAppended(int view, const ChatDocument& document, std::size_t firstNew) = 0;
    // The whole content of `view` changed (cleared, or loaded from an archive).
    virtual void DocumentReplaced(int view, const ChatDocument& document) = 0;
    // Scrolls `view` so that its last line is visible.
    virtual void ScrollToEnd(int view) = 0;
    // Whether the Scroll Lock toggle is on (autoscroll off); "off" where it cannot be read.
    virtual bool ScrollLockOn() const = 0;

    // --- Status bar.
    virtual void SetStatusField(StatusField field, std::string_view text) = 0;

    // --- User list (control 3). `selectedRow` is -1 when no row is selected.
    virtual void UserListChanged(std::span<const UserRow> rows, int selectedRow) = 0;
    virtual void SetUserActions(const UserActions& actions) = 0;

    // --- Tab bar (control 99). Positions are tab-bar positions; `view` is the tab's text view.
    virtual void TabInserted(int position, std::string_view caption, int view) = 0;
    virtual void TabRemoved(int position) = 0;
    virtual void TabRenamed(int position, std::string_view caption) = 0;
    // Shows `view` as the current view and marks tab `position` selected.
    virtual void TabSelected(int position, int view) = 0;
    virtual void SetTabUnread(int position, bool unread) = 0;

    // --- Dialogs and desktop services.
    // A modal message box; returns the user's answer (Cancel/No when the box is closed otherwise).
    virtual MessageAnswer Ask(const Question& question) = 0;
    // An information box that does not block the caller.
    virtual void ShowInformation(std::string_view title, std::string_view text) = 0;
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    // Opens a file or folder with the desktop's associated program.
    virtual void OpenWithDesktop(const std::string& path) = 0;
    // Starts a program detached (a fresh instance of this one, the restart helper). `workDir`
    // empty: the current directory. Returns false when it could not be started.
    virtual bool StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                              const std::string& workDir) = 0;
    // A 50 ms tone; a request while the previous tone's second has not passed is dropped, so
    // there is at most one beep per second.
    virtual void Beep(int frequencyHz) = 0;
};

}  // namespace talvoro::chat
