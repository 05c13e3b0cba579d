#pragma once
// The main chat window, the same for client and server mode: topic tabs with their text views,
// the "Users Online" list, the message field with its Send button, the user tool bar, the holder
// of the emoticon bar and the four-field status bar. It lays its controls out by a fixed rule,
// opens the popup menus by the region that was clicked, and turns every button, menu item and
// shortcut into a numbered event that it routes through Dispatch().
//
// Who does what: the window only shows and routes. The run procedure registers the handlers of the
// commands (Commands()) and of the control events (tab switch, user selection, ticks), and gives
// the window a MenuContext provider; the chat core reaches the window through QtViewPort.
// Commands without a handler show a "not available yet" notice (the router's fallback).
//
// Thread: GUI thread only.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/process_state.h"
#include "app/thread_slots.h"
#include "chat/view_port.h"
#include "ui/command_router.h"
#include "ui/find_dialog.h"
#include "ui/main_window_layout.h"
#include "ui/menus.h"

class QPushButton;

namespace talvoro::ui {

class ChatViewWidget;
class ImageStore;
class MainShortcuts;
class MessageField;
class StatusBar;
class TabViews;
class UserListWidget;
class UserToolBar;

struct MainWindowSetup {
    std::string mode = "Client";  // "Client" or "Server"
    std::string host;             // server host, Windows-1252
    int port = 1805;
};

// A per-user menu item chosen with Shift held becomes its group variant: whisper, transfer and
// reject (2000 + r, 1000 + r, 5000 + r) turn into 400, 401 and 402; other events stay.
int GroupVariant(int event, Qt::KeyboardModifiers modifiers);

// The window title: "Talvoro Client/Service  (@host:1805)".
QString MainWindowTitle(const MainWindowSetup& setup, bool serviceMode);

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Builds the window, invisible. Uses the saved placement when it is usable (otherwise centres
    // the window at 640 x 380 and switches "IsPrivateVisible" off in `state.settings`), creates the
    // "Main" tab (view 500) and, when "IsPrivateVisible" is on, the "Private Group" tab (view 504).
    // The core may announce those two tabs again (TabInserted): a view's second tab is ignored.
    MainWindow(app::ProcessState& state, const ImageStore& images, const MainWindowSetup& setup,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- Commands.
    CommandRouter& Commands() { return router_; }
    // Routes `event` with the keyboard modifiers held now, or with `modifiers` (Shift picks the
    // group variants of the tool-bar commands 46, 47 and 48).
    void Dispatch(int event);
    void Dispatch(int event, Qt::KeyboardModifiers modifiers);
    // The modifiers of the event being dispatched (valid inside a handler).
    Qt::KeyboardModifiers DispatchModifiers() const { return dispatchModifiers_; }

    // --- Control events and hooks.
    void SetMenuContextProvider(std::function<MenuContext()> provider);
    // The user picked tab `position`. Without a handler the window shows that tab's view itself.
    void SetTabSwitchHandler(std::function<void(int position)> handler);
    // The user selected row `row` of the user list (-1: none).
    void SetUserSelectionHandler(std::function<void(int row)> handler);
    // The user ticked or unticked row `row`.
    void SetUserTickHandler(std::function<void(int row, bool ticked)> handler);
    // The window went to the task bar or the tray (after WindowShown became false).
    void SetMinimizedHandler(std::function<void()> handler);
    // Whether a system tray exists; without one, "hide to the tray" minimises instead.
    void SetTrayAvailable(bool available) { trayAvailable_ = available; }

    // --- State the core drives (through QtViewPort).
    void SetUserActions(const chat::UserActions& actions);
    const chat::UserActions& UserActions() const { return userActions_; }
    void ShowUserRows(std::span<const chat::UserRow> rows, int selectedRow);
    void TabInserted(int position, std::string_view caption, int view);
    void TabRemoved(int position);
    void TabSelected(int position, int view);

    // --- Parts of the window.
    TabViews& Tabs() { return *tabs_; }
    ChatViewWidget& View(int number);
    ChatViewWidget* CurrentView() const;
    UserListWidget& UserList() { return *userList_; }
    MessageField& Input() { return *input_; }
    QPushButton& SendButton() { return *send_; }
    UserToolBar& ToolBar() { return *toolBar_; }
    StatusBar& Status() { return *status_; }
    MainShortcuts& Shortcuts() { return *shortcuts_; }
    // Holder 129 of the emoticon bar.
    QWidget& EmoticonHolder() { return *emoticonHolder_; }
    // Puts `bar` into holder 129 (at its top-left) and gives the holder the bar's own size; the
    // holder keeps its place at x 2 and the layout rule's y.
    void InstallEmoticonBar(QWidget& bar);
    // The worker threads of the window's information boxes (About, user details).
    app::ThreadSlots& Workers() { return *workers_; }
    // The Find dialog's string and check boxes, kept for the run.
    FindMemory& FindSettings() { return findMemory_; }

    // --- Geometry.
    ControlRects CurrentRects() const { return rects_; }
    int StatusHeight() const { return statusHeight_; }
    // Outer left/top and client width/height, as the preferences keep them.
    QRect Placement() const;

    // The popup that a right click at `clientPoint` opens; for a tool-bar button the group
    // variant runs at once and no menu is returned.
    struct Popup {
        ContextRegion region = ContextRegion::Elsewhere;
        std::unique_ptr<QMenu> menu;
    };
    Popup PopupAt(QPoint clientPoint);
    MenuContext CurrentMenuContext() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls(const ImageStore& images);
    void BuildTabs();
    void AddBalloonTips();
    void RegisterBuiltInCommands();
    void PlaceWindow();
    void ApplyLayout();
    void ApplySizeLimits();
    void UpdateTabShortcuts();
    void OnMinimized(bool realMinimize);
    void ShowNotAvailable(int event);
    void RouteUserButton(int event);

    app::ProcessState& state_;
    const ImageStore& images_;
    CommandRouter router_;
    Qt::KeyboardModifiers dispatchModifiers_ = Qt::NoModifier;
    std::function<MenuContext()> menuContext_;
    std::function<void(int)> onTabSwitch_;
    std::function<void(int)> onUserSelection_;
    std::function<void(int, bool)> onUserTick_;
    std::function<void()> onMinimized_;
    bool trayAvailable_ = false;
    chat::UserActions userActions_;

    // Widgets are owned by Qt's parent chain; the helpers below by this window.
    QWidget* client_ = nullptr;
    std::unique_ptr<TabViews> tabs_;
    UserListWidget* userList_ = nullptr;
    MessageField* input_ = nullptr;
    QPushButton* send_ = nullptr;
    UserToolBar* toolBar_ = nullptr;
    QWidget* emoticonHolder_ = nullptr;
    StatusBar* status_ = nullptr;
    std::unique_ptr<MainShortcuts> shortcuts_;
    QPointer<QWidget> notice_;
    ControlRects rects_;
    int statusHeight_ = 0;
    FindMemory findMemory_;
    // Last member: destroyed first, so its workers are joined while the window still exists.
    std::unique_ptr<app::ThreadSlots> workers_ = std::make_unique<app::ThreadSlots>();
};

}  // namespace talvoro::ui
