#pragma once
// How the program shows itself: the show/hide toggle of the main window and the tray tooltip, the
// tray icon's clicks and menu, and how an arriving message announces itself (unread tab marks are
// the chat client's; here: bringing the window up, flashing it, blinking the tray icon once more
// than two frames were processed, and one desktop notification when the blinking starts).
//
// Where the desktop has no tray, hiding minimises the window instead, so it is never lost.
//
// Thread: GUI thread only. The window, the tray icon and the flash must outlive the policy.

#include <QPoint>
#include <string>

#include "app/process_state.h"

namespace talvoro::ui {

class MainWindow;
class TrayIcon;
class WindowFlash;

// A message that brought new content: the tab it went to and, for the notification, who sent it
// and the tab's caption (Windows-1252; the sender is empty for server lines).
struct ArrivedMessage {
    int tab = 0;
    std::string sender;
    std::string tabCaption;
};

class TrayPolicy {
  public:
    TrayPolicy(app::ProcessState& state, MainWindow& window, TrayIcon& tray, WindowFlash& flash);

    // Event 2 and a left click on the tray icon: hides a shown window, shows a hidden one.
    void ToggleMainWindow();
    // The new-message policy for content that reached tab `message.tab` (already marked unread).
    void OnNewContent(const ArrivedMessage& message);
    // The one-second tick: blinks the tray icon while a message waits behind a hidden window.
    void Tick();
    // Clicks on the tray icon, only while no dialog is open: the left click toggles the window,
    // the right click opens the tray menu at `globalPos`.
    void TrayLeftClick();
    void ShowTrayMenu(QPoint globalPos);

    bool ShownByMessage() const { return shownByMessage_; }

  private:
    void SetTrayTip();
    void Hide();
    void Show();
    void Restored();
    void NotifyBlinking();

    app::ProcessState& state_;
    MainWindow& window_;
    TrayIcon& tray_;
    WindowFlash& flash_;
    bool shownByMessage_ = false;
    bool notified_ = false;   // the notification of this blinking went out
    ArrivedMessage waiting_;  // the last message that arrived while the window was not shown
};

}  // namespace talvoro::ui
