#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <vector>

#include "ui/chat_view_widget.h"
#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_shortcuts.h"
#include "ui/message_field.h"
#include "ui/qt_view_port.h"
#include "ui/tab_views.h"
#include "ui/tool_bar.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {
namespace {

namespace cmd = app::cmd;
using Events = std::vector<int>;

MainWindowSetup WindowSetup() {
    MainWindowSetup setup;
    setup.host = "chathost";
    return setup;
}

// A window whose unhandled commands are recorded in `events`.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindow& Build() {
        state.settings.UserName = "me";
        window = std::make_unique<MainWindow>(state, EmbeddedImages(), WindowSetup());
        events.clear();
        window->Commands().SetFallback([this](int event) { events.push_back(event); });
        // Earlier tests' key clicks leave their modifiers as the application's keyboard state.
        QTest::keyClick(window.get(), Qt::Key_Escape);
        return *window;
    }
    void ShowRows(int selected) {
        const std::vector<chat::UserRow> rows = {
            {"ann", 1500, 0x0000FF, chat::RowIcon::Normal, false, false},
            {"me", 7, 0xAA0000, chat::RowIcon::Self, false, false}};
        window->ShowUserRows(rows, selected);
    }
    void ResizeTo(int width, int height) {
        window->resize(width, height);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == width; }, 2000));
    }

    app::ProcessState state;
    std::unique_ptr<MainWindow> window;
    Events events;
};

TEST_F(MainWindowTest, title_names_mode_service_host_and_port) {
    MainWindowSetup setup = WindowSetup();
    EXPECT_EQ(Build().windowTitle(), QStringLiteral("Talvoro Client  (@chathost:1805)"));
    setup.mode = "Server";
    setup.port = 2000;
    EXPECT_EQ(MainWindowTitle(setup, true),
              QStringLiteral("Talvoro Server/Service  (@chathost:2000)"));
}

TEST_F(MainWindowTest, saved_placement_is_used_or_replaced_by_640_by_380_without_private_tab) {
    struct Case {
        int x, width;
        QSize size;
        int tabs;
    };
    for (const Case c : {Case{100, 359, {640, 380}, 1}, Case{10, 700, {700, 420}, 2}}) {
        SCOPED_TRACE(c.width);
        state.settings.WinPos = 1;
        state.settings.WinPosX = state.settings.WinPosY = c.x;
        state.settings.WinWidth = c.width;
        state.settings.WinHeight = 420;
        state.settings.IsPrivateVisible = 1;
        Build();
        EXPECT_EQ(window->size(), c.size);
        EXPECT_EQ(state.settings.IsPrivateVisible, c.tabs - 1);
        EXPECT_EQ(window->Tabs().TabCount(), c.tabs);
        EXPECT_EQ(window->Tabs().CurrentViewNumber(), app::control::kMainView);
    }
}

TEST_F(MainWindowTest, user_list_grows_19_pixels_down_from_700_wide) {
    Build();
    window->show();
    ResizeTo(699, 450);
    const QRect narrow = window->UserList().geometry();
    ResizeTo(700, 450);
    const QRect wide = window->UserList().geometry();
    EXPECT_EQ(wide.bottom() - narrow.bottom(), 19);
}

TEST_F(MainWindowTest, enter_sends_and_shift_enter_inserts_a_line_break) {
    Build();
    MessageField& input = window->Input();
    QTest::keyClicks(&input, "hi");
    QTest::keyClick(&input, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&input, "there");
    QTest::keyClick(&input, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(&input, Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(input.toPlainText(), QStringLiteral("hi\nthere"));
    QTest::keyClick(&input, Qt::Key_Return);
    QTest::keyClick(&input, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::mouseClick(&window->SendButton(), Qt::LeftButton);
    EXPECT_EQ(events, Events({cmd::kSend, cmd::kSend, cmd::kSend}));
}

TEST_F(MainWindowTest, shortcuts_fire_only_with_their_exact_modifiers) {
    Build();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ShowRows(0);
    chat::UserActions actions;
    actions.whisper = true;
    window->SetUserActions(actions);
    const Qt::KeyboardModifiers alt = Qt::AltModifier, altShift = alt | Qt::ShiftModifier;
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int event;  // 0: nothing happens
    };
    const Case cases[] = {
        {Qt::Key_N, alt, cmd::kSpawnTopic},
        {Qt::Key_N, Qt::ControlModifier, 0},
        {Qt::Key_W, Qt::ControlModifier, cmd::kAnswerWhisper},
        {Qt::Key_1, alt, cmd::kSelectTabBase},
        {Qt::Key_0, alt, cmd::kSelectPrivateTab},
        {Qt::Key_G, alt, cmd::kPrivateGroupToggle},
        {Qt::Key_2, alt, 0},  // only Main exists
        {Qt::Key_W, alt, cmd::kWhisperToRowBase},
        {Qt::Key_T, alt, 0},  // transfer is off for the row
        {Qt::Key_W, altShift, cmd::kGroupWhisper},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(QKeyCombination(c.modifiers, c.key)).toString().toStdString());
        events.clear();
        QTest::keyClick(&window->Input(), c.key, c.modifiers);
        EXPECT_EQ(events, c.event == 0 ? Events{} : Events{c.event});
    }
}

TEST_F(MainWindowTest, tool_bar_acts_on_the_selected_row_and_shift_picks_the_group_item) {
    Build();
    ShowRows(1);
    const UserToolBar& bar = window->ToolBar();
    window->SetUserActions({true, true, true, true, true});
    for (const int button : {cmd::kTransfer, cmd::kReject, cmd::kUserDetail, cmd::kPreferences}) {
        bar.ButtonAction(button)->trigger();
    }
    // Shift turns a row item into its group item; details have none.
    window->Dispatch(cmd::kTransfer, Qt::ShiftModifier);
    window->Dispatch(cmd::kDetailsRowBase, Qt::ShiftModifier);
    EXPECT_EQ(events, Events({cmd::kTransferToRowBase + 1, cmd::kRejectRowBase + 1,
                              cmd::kDetailsRowBase + 1, cmd::kPreferences, cmd::kGroupTransfer,
                              cmd::kDetailsRowBase}));
    // The Reject button's pressed state follows the model, not the click.
    EXPECT_TRUE(bar.ButtonAction(cmd::kReject)->isChecked());
}

TEST_F(MainWindowTest, commands_are_routed_by_number_and_unhandled_ones_go_to_the_fallback) {
    Build();
    Events handled;
    const auto record = [&](int event) { handled.push_back(event); };
    CommandRouter& router = window->Commands();
    router.SetRangeHandler(cmd::kCloseTopicBase + 1, cmd::kCloseTopicBase + 3, record);
    router.SetHandler(cmd::kCloseTopicBase + 3, [&](int) { handled.push_back(-1); });  // wins
    router.SetHandler(cmd::kSaveSession, {});  // an empty handler covers nothing
    // A handler may register and dispatch while it runs.
    router.SetHandler(cmd::kTopicInfo, [&](int event) {
        router.SetHandler(cmd::kClearTopic, record);
        window->Dispatch(cmd::kClearTopic);
        record(event);
    });
    for (const int event :
         {cmd::kTopicInfo, cmd::kCloseTopicBase + 2, cmd::kCloseTopicBase + 3, cmd::kSaveSession}) {
        window->Dispatch(event);
    }
    EXPECT_EQ(handled, Events({cmd::kClearTopic, cmd::kTopicInfo, cmd::kCloseTopicBase + 2, -1}));
    EXPECT_EQ(events, Events({cmd::kSaveSession}));
}

TEST_F(MainWindowTest, double_click_whispers_to_the_row_and_tick_all_reports_each_row) {
    Build();
    std::vector<std::pair<int, bool>> ticks;
    window->SetUserTickHandler([&](int row, bool ticked) { ticks.emplace_back(row, ticked); });
    ShowRows(-1);
    UserListWidget& list = window->UserList();
    emit list.itemDoubleClicked(list.topLevelItem(1), 0);
    EXPECT_EQ(events, Events({cmd::kWhisperToRowBase + 1}));
    window->Dispatch(cmd::kTickAll);
    EXPECT_TRUE(list.IsTicked(0) && list.IsTicked(1));
    window->Dispatch(cmd::kUntickAll);
    EXPECT_EQ(ticks,
              (std::vector<std::pair<int, bool>>{{0, true}, {1, true}, {0, false}, {1, false}}));
}

TEST_F(MainWindowTest, right_click_regions_open_their_menus_or_run_a_group_item) {
    Build();
    window->show();
    ShowRows(-1);
    const QPoint inRows = window->UserList().geometry().center();
    // Without a selected row the user list gives the message-field menu.
    MainWindow::Popup popup = window->PopupAt(inRows);
    ASSERT_NE(popup.menu, nullptr);
    EXPECT_EQ(popup.menu->actions().front()->text(), QStringLiteral("User Details"));
    ShowRows(0);
    const std::pair<QPoint, int> regions[] = {
        {inRows, cmd::kDetailsRowBase},
        {window->Tabs().Bar().geometry().center(), cmd::kTopicInfo},
        {window->CurrentView()->geometry().center(), cmd::kFindText}};
    for (const auto& [point, first] : regions) {
        popup = window->PopupAt(point);
        ASSERT_NE(popup.menu, nullptr) << first;
        EXPECT_EQ(MenuEvent(popup.menu->actions().front()), first);
    }
    // A tool button runs its group variant instead, where it has one.
    UserToolBar& bar = window->ToolBar();
    for (const int button : {cmd::kWhisper, cmd::kTransfer, cmd::kReject, cmd::kPreferences}) {
        const QRect place = bar.actionGeometry(bar.ButtonAction(button));
        popup = window->PopupAt(bar.mapTo(window.get(), place.center()));
        EXPECT_EQ(popup.menu, nullptr);
    }
    EXPECT_EQ(events, Events({cmd::kGroupWhisper, cmd::kGroupTransfer, cmd::kGroupReject}));
    // A real context-menu request on a child travels up to the window, which opens (and here at
    // once closes) its popup.
    QTimer::singleShot(0, [] {
        if (QWidget* open = QApplication::activePopupWidget()) {
            open->close();
        }
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                              window->Input().mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->Input().viewport(), &request);
    EXPECT_TRUE(request.isAccepted());
}

TEST_F(MainWindowTest, close_button_quits_minimises_or_hides_by_the_settings) {
    struct Case {
        bool service, closeMin, toTray, trayExists;
        Events events;
        bool visible, minimised;
    };
    const Case cases[] = {{false, false, true, false, {cmd::kQuit}, true, false},
                          {true, false, false, false, {}, true, false},
                          {false, true, true, false, {}, true, true},  // no tray: minimise
                          {false, true, true, true, {}, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.service << c.closeMin << c.toTray << c.trayExists);
        state.ServiceMode = c.service;
        state.settings.CloseMin = c.closeMin ? 1 : 0;
        state.settings.MinimizeToTray = c.toTray ? 1 : 0;
        Build();
        window->SetTrayAvailable(c.trayExists);
        window->show();
        state.WindowShown = true;
        window->close();
        EXPECT_EQ(events, c.events);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->isVisible() == c.visible; }, 2000));
        EXPECT_EQ(QTest::qWaitFor([&] { return window->isMinimized(); }, c.minimised ? 2000 : 0),
                  c.minimised);
        EXPECT_EQ(state.WindowShown, !c.events.empty());
    }
    window->show();
    state.QuitRequested = true;  // the program is ending: the window goes
    window->close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, message_field_holds_at_most_980_characters) {
    MessageField& field = Build().Input();
    field.SetText(QString(979, QLatin1Char('a')));
    QTest::keyClicks(&field, "bcd");
    EXPECT_EQ(field.toPlainText(), QString(979, QLatin1Char('a')) + QLatin1Char('b'));
    field.setPlainText(QString(1100, QLatin1Char('y')));
    EXPECT_EQ(field.toPlainText(), QString(980, QLatin1Char('y')));
    // Typing in the middle of a full field is refused too.
    field.SetText(QStringLiteral("ab") + QString(978, QLatin1Char('z')));
    EXPECT_EQ(field.textCursor().position(), 980) << "SetText puts the caret at the end";
    QTextCursor cursor = field.textCursor();
    cursor.setPosition(1);
    field.setTextCursor(cursor);
    QTest::keyClick(&field, Qt::Key_Q);
    EXPECT_EQ(field.toPlainText(), QStringLiteral("ab") + QString(978, QLatin1Char('z')));
}

TEST_F(MainWindowTest, view_port_answers_by_the_button_pressed_or_as_no_or_cancel_when_closed) {
    QtViewPort port(Build());
    chat::Question question{"Talvoro: Server Reminder", "Quit?", chat::MessageButtons::YesNo,
                            chat::MessageIcon::Question};
    const struct {
        chat::MessageButtons buttons;
        QMessageBox::StandardButton press;  // NoButton: the box is closed
        chat::MessageAnswer answer;
    } cases[] = {
        {chat::MessageButtons::YesNo, QMessageBox::Yes, chat::MessageAnswer::Yes},
        {chat::MessageButtons::YesNo, QMessageBox::NoButton, chat::MessageAnswer::No},
        {chat::MessageButtons::OkCancel, QMessageBox::NoButton, chat::MessageAnswer::Cancel},
    };
    for (const auto& c : cases) {
        QTimer::singleShot(0, [press = c.press] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                press == QMessageBox::NoButton ? box->reject() : box->button(press)->click();
            }
        });
        question.buttons = c.buttons;
        EXPECT_EQ(port.Ask(question), c.answer) << c.press;
    }
}

}  // namespace
}  // namespace talvoro::ui
