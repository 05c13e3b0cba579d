#include "ui/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/identifiers.h"
#include "ui/balloon_tip.h"
#include "ui/chat_view_widget.h"
#include "ui/emoticon_bar.h"
#include "ui/images.h"
#include "ui/main_shortcuts.h"
#include "ui/message_field.h"
#include "ui/status_bar.h"
#include "ui/tab_views.h"
#include "ui/text_edge.h"
#include "ui/tool_bar.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {

namespace cmd = app::cmd;

namespace {

constexpr int kSendButtonWidth = 50;

const QString kViewTipTitle = QStringLiteral("Chat Text Archive");
const QString kViewTipText = QStringLiteral(
    "See what others have to say.\nRight mouse button for menu.\n\n"
    "ScrollLock toggles autoscroll on/off.");

}  // namespace

QString MainWindowTitle(const MainWindowSetup& setup, bool serviceMode) {
    QString title = QStringLiteral("Talvoro ") + ToQt(setup.mode);
    if (serviceMode) {
        title += QStringLiteral("/Service");
    }
    title += QStringLiteral("  (@") + ToQt(setup.host) + QLatin1Char(':') +
             QString::number(setup.port) + QLatin1Char(')');
    return title;
}

MainWindow::MainWindow(app::ProcessState& state, const ImageStore& images,
                       const MainWindowSetup& setup, QWidget* parent)
    : QMainWindow(parent), state_(state), images_(images) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(MainWindowTitle(setup, state.ServiceMode));
    setWindowIcon(images.Icon(app::image::kTrayNormal));
    PlaceWindow();
    BuildControls(images);
    BuildTabs();
    if (state_.settings.BalloonTips == 0) {
        AddBalloonTips();
    }
    shortcuts_ = std::make_unique<MainShortcuts>(
        *this, state.ServiceMode,
        [this](int event, Qt::KeyboardModifiers modifiers) { Dispatch(event, modifiers); });
    UpdateTabShortcuts();
    router_.SetFallback([this](int event) { ShowNotAvailable(event); });
    RegisterBuiltInCommands();
    InstallEmoticonBar(*new EmoticonBar(images, [this](int button) { Dispatch(button); }));
    ApplySizeLimits();
    ApplyLayout();
}

MainWindow::~MainWindow() = default;

void MainWindow::PlaceWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available =
        screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    app::Settings& settings = state_.settings;
    if (SavedPlacementUsable(settings, available.size())) {
        resize(settings.WinWidth, settings.WinHeight);
        move(settings.WinPosX, settings.WinPosY);
        return;
    }
    resize(kDefaultClientSize);
    move(CentredOrigin(available, kDefaultClientSize));
    settings.IsPrivateVisible = 0;
}

void MainWindow::BuildControls(const ImageStore& images) {
    client_ = new QWidget(this);  // owned by this window, as are the children below
    client_->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client_);
    tabs_ = std::make_unique<TabViews>(*client_, images);
    tabs_->SetViewCreated([this](ChatViewWidget& view) {
        view.setContextMenuPolicy(Qt::NoContextMenu);
        if (state_.settings.BalloonTips == 0 && view.ViewNumber() != chat::kPrivateView) {
            AddBalloonTip(view, kViewTipText, kViewTipTitle);
        }
    });
    connect(&tabs_->Bar(), &QTabBar::currentChanged, this, [this](int position) {
        if (onTabSwitch_) {
            onTabSwitch_(position);
        } else {
            tabs_->SelectTab(position, tabs_->ViewOfTab(position));
        }
    });
    tabs_->Bar().setContextMenuPolicy(Qt::NoContextMenu);

    userList_ = new UserListWidget(images, client_);
    userList_->setContextMenuPolicy(Qt::NoContextMenu);
    userList_->SetUserColors(state_.settings.ListUserColors != 0);
    userList_->SetSelectionHandler([this](int row) {
        if (onUserSelection_) {
            onUserSelection_(row);
        }
    });
    userList_->SetDoubleClickHandler([this](int row) {
        if (row >= 0) {
            Dispatch(cmd::kWhisperToRowBase + row, Qt::NoModifier);
        }
    });
    userList_->SetTickHandler([this](int row, bool ticked) {
        if (onUserTick_) {
            onUserTick_(row, ticked);
        }
    });

    input_ = new MessageField(client_);
    input_->setContextMenuPolicy(Qt::NoContextMenu);
    input_->SetSendHandler([this] { Dispatch(cmd::kSend, Qt::NoModifier); });

    send_ = new QPushButton(QStringLiteral("Send"), client_);
    send_->setObjectName(QStringLiteral("sendButton"));
    send_->setDefault(true);
    send_->setContextMenuPolicy(Qt::NoContextMenu);
    connect(send_, &QPushButton::clicked, this, [this] { Dispatch(cmd::kSend, Qt::NoModifier); });

    toolBar_ = new UserToolBar(
        images, [this](int event) { Dispatch(event); }, client_);
    toolBar_->setContextMenuPolicy(Qt::NoContextMenu);
    emoticonHolder_ = new QWidget(client_);
    emoticonHolder_->setObjectName(QStringLiteral("emoticonHolder"));

    status_ = new StatusBar(images, this);
    status_->setContextMenuPolicy(Qt::NoContextMenu);
    setStatusBar(status_);
    statusHeight_ = status_->sizeHint().height();

    const QSize barSize = toolBar_->sizeHint();
    rects_ = InitialRects(barSize, QSize(0, barSize.height()));
}

void MainWindow::BuildTabs() {
    tabs_->InsertTab(0, "Main", chat::kMainView);
    ChatViewWidget& privateView = tabs_->View(chat::kPrivateView);
    privateView.hide();
    if (state_.settings.IsPrivateVisible != 0) {
        tabs_->InsertTab(1, "Private Group", chat::kPrivateView);
    }
    tabs_->SetViewRect(rects_.textView);
    tabs_->SelectTab(0, chat::kMainView);
}

void MainWindow::AddBalloonTips() {
    AddBalloonTip(
        tabs_->Bar(),
        QStringLiteral("Alt-1 through Alt-0 (Private) selects topics/tabs from left to right."),
        QStringLiteral("Topic List"));
    AddBalloonTip(tabs_->View(chat::kPrivateView),
                  QStringLiteral("Every message will be whispered!\nTo group members only!\n\n"
                                 "Just ignore if you feel older than 12 ;-)\n\n"
                                 "Alt-0 to select and jump to."),
                  QStringLiteral("Sissy Mode"));
    AddBalloonTip(*userList_,
                  QStringLiteral("List of connected users.\nRight mouse button for menu.\n\n"
                                 "Icon shows reject (color + arrow direction) and file receive "
                                 "(arrow gradient) status.\nCheck user to set group membership."),
                  QStringLiteral("User List"));
    AddBalloonTip(*input_,
                  QStringLiteral("Type your message here.\nPress <Enter> to transmit.\n"
                                 "Press <Shift>+<Enter> for new line.\n\n"
                                 "Ctrl+E inserts last used emoticon.\n\n"
                                 "Right mouse button for menu."),
                  QStringLiteral("Message Field"));
    AddBalloonTip(*send_, QStringLiteral("Left click to send message."),
                  QStringLiteral("Send Button"));
    AddBalloonTip(*status_,
                  QStringLiteral("1) Current connection time.\n2) Total number of received "
                                 "messages.\n3) Number of users online.\n"
                                 "4) Last (important) SERVER message"),
                  QStringLiteral("Statusbar Info"));
}

void MainWindow::SetMenuContextProvider(std::function<MenuContext()> provider) {
    menuContext_ = std::move(provider);
}
void MainWindow::SetTabSwitchHandler(std::function<void(int)> handler) {
    onTabSwitch_ = std::move(handler);
}
void MainWindow::SetUserSelectionHandler(std::function<void(int)> handler) {
    onUserSelection_ = std::move(handler);
}
void MainWindow::SetUserTickHandler(std::function<void(int, bool)> handler) {
    onUserTick_ = std::move(handler);
}
void MainWindow::SetMinimizedHandler(std::function<void()> handler) {
    onMinimized_ = std::move(handler);
}

void MainWindow::SetUserActions(const chat::UserActions& actions) {
    userActions_ = actions;
    toolBar_->SetUserActions(actions);
    shortcuts_->SetUserActions(actions);
}

void MainWindow::ShowUserRows(std::span<const chat::UserRow> rows, int selectedRow) {
    userList_->ShowRows(rows, selectedRow);
}

void MainWindow::TabInserted(int position, std::string_view caption, int view) {
    tabs_->InsertTab(position, caption, view);
    UpdateTabShortcuts();
}

void MainWindow::TabRemoved(int position) {
    tabs_->RemoveTab(position);
    UpdateTabShortcuts();
}

void MainWindow::TabSelected(int position, int view) {
    tabs_->SelectTab(position, view);
}

void MainWindow::UpdateTabShortcuts() {
    if (!shortcuts_) {
        return;
    }
    int count = tabs_->TabCount();
    if (count > 0 && tabs_->ViewOfTab(count - 1) == chat::kPrivateView) {
        --count;
    }
    shortcuts_->SetTopicTabCount(count);
}

ChatViewWidget& MainWindow::View(int number) {
    return tabs_->View(number);
}

ChatViewWidget* MainWindow::CurrentView() const {
    return tabs_->CurrentView();
}

void MainWindow::InstallEmoticonBar(QWidget& bar) {
    bar.setParent(emoticonHolder_);
    bar.move(0, 0);
    rects_.emoticonToolBar.setSize(bar.sizeHint());
    ApplyLayout();
    bar.show();
}

QRect MainWindow::Placement() const {
    return QRect(frameGeometry().topLeft(), size());
}

void MainWindow::ApplySizeLimits() {
    // The limits are for the outer size; the frame is known once the window is on screen.
    const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
    setMinimumSize(kMinimumWindowSize - frame);
    setMaximumSize(kMaximumWindowSize - frame);
}

void MainWindow::ApplyLayout() {
    rects_ = LayoutRects(rects_, size(), statusHeight_);
    tabs_->Bar().setGeometry(rects_.tabBar);
    tabs_->SetViewRect(rects_.textView);
    userList_->setGeometry(rects_.userList);
    input_->setGeometry(rects_.inputLine);
    send_->setGeometry(rects_.sendButton.x(), rects_.sendButton.y(), kSendButtonWidth,
                       rects_.sendButton.height());
    toolBar_->setGeometry(rects_.userToolBar.x(), rects_.userToolBar.y(),
                          toolBar_->sizeHint().width(), toolBar_->sizeHint().height());
    emoticonHolder_->setGeometry(rects_.emoticonToolBar);
    update();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) {
        ApplyLayout();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplySizeLimits();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        input_->setFocus(Qt::ActiveWindowFocusReason);
    } else if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        OnMinimized(true);
    }
}

// Minimising, for real or as the close button's stand-in: hidden to the tray when
// "MinimizeToTray" is on and a tray exists; minimised when there is no tray (the window must stay
// reachable); a close with "MinimizeToTray" off leaves the window on screen.
void MainWindow::OnMinimized(bool realMinimize) {
    state_.WindowShown = false;
    if (state_.settings.MinimizeToTray != 0) {
        if (trayAvailable_) {
            // Hiding from inside the state-change notification confuses some window managers.
            QTimer::singleShot(0, this, [this] { hide(); });
        } else if (!realMinimize) {
            showMinimized();
        }
    }
    if (onMinimized_) {
        onMinimized_();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (state_.QuitRequested.load()) {
        event->accept();  // the program is ending: the window may go
        return;
    }
    event->ignore();
    if (state_.settings.CloseMin == 0 && !state_.ServiceMode) {
        Dispatch(cmd::kQuit, Qt::NoModifier);
        return;
    }
    OnMinimized(false);
}

}  // namespace talvoro::ui
