#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <vector>

#include "app/identifiers.h"
#include "ui/chat_view_widget.h"
#include "ui/main_shortcuts.h"
#include "ui/message_field.h"
#include "ui/status_bar.h"
#include "ui/tab_views.h"
#include "ui/tool_bar.h"
#include "ui/ui_fixture.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {
namespace {

namespace cmd = app::cmd;

// A window whose commands are recorded: every number reaches `events`, whether a handler was
// registered for it (Record) or it fell through to the fallback.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::Images();
        state.settings.UserName = "me";
    }

    MainWindow& Build() {
        window = test::MakeWindow(state);
        window->Commands().SetFallback([this](int event) { events.push_back(event); });
        // Earlier tests' key clicks leave their modifiers as the application's keyboard state.
        QTest::keyClick(window.get(), Qt::Key_Escape);
        return *window;
    }

    void Record(int first, int last) {
        window->Commands().SetRangeHandler(first, last,
                                           [this](int event) { events.push_back(event); });
    }

    void ShowActive() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void ShowRows(int selected) {
        const std::vector<chat::UserRow> rows = {
            {"ann", 1500, 0x0000FF, chat::RowIcon::Normal, false, false},
            {"me", 7, 0xAA0000, chat::RowIcon::Self, false, false}};
        window->ShowUserRows(rows, selected);
    }

    app::ProcessState state;
    std::unique_ptr<MainWindow> window;
    std::vector<int> events;
};

TEST_F(MainWindowTest, title_names_mode_service_host_and_port) {
    MainWindowSetup setup = test::Setup();
    EXPECT_EQ(MainWindowTitle(setup, false), QStringLiteral("Talvoro Client  (@chathost:1805)"));
    setup.mode = "Server";
    setup.port = 2000;
    EXPECT_EQ(MainWindowTitle(setup, true),
              QStringLiteral("Talvoro Server/Service  (@chathost:2000)"));
    EXPECT_EQ(Build().windowTitle(), QStringLiteral("Talvoro Client  (@chathost:1805)"));
}

TEST_F(MainWindowTest, rejected_placement_opens_at_640_by_380_without_the_private_tab) {
    state.settings.WinPos = 1;
    state.settings.WinPosX = 100;
    state.settings.WinPosY = 100;
    state.settings.WinWidth = 359;
    state.settings.WinHeight = 400;
    state.settings.IsPrivateVisible = 1;
    Build();
    EXPECT_EQ(window->size(), QSize(640, 380));
    EXPECT_EQ(state.settings.IsPrivateVisible, 0);
    EXPECT_EQ(window->Tabs().TabCount(), 1);
    EXPECT_EQ(window->Tabs().Bar().tabText(0), QStringLiteral("Main"));
}

TEST_F(MainWindowTest, usable_placement_keeps_the_private_tab_and_the_saved_size) {
    state.settings.WinPos = 1;
    state.settings.WinPosX = 10;
    state.settings.WinPosY = 10;
    state.settings.WinWidth = 700;
    state.settings.WinHeight = 420;
    state.settings.IsPrivateVisible = 1;
    Build();
    EXPECT_EQ(window->size(), QSize(700, 420));
    ASSERT_EQ(window->Tabs().TabCount(), 2);
    EXPECT_EQ(window->Tabs().Bar().tabText(1), QStringLiteral("Private Group"));
    EXPECT_EQ(window->Tabs().ViewOfTab(1), app::control::kPrivateView);
    EXPECT_EQ(window->Tabs().CurrentViewNumber(), app::control::kMainView);
    EXPECT_FALSE(window->View(app::control::kPrivateView).isVisibleTo(window.get()));
}

TEST_F(MainWindowTest, user_list_bottom_changes_by_19_pixels_between_699_and_700_wide) {
    Build();
    window->show();
    window->resize(699, 450);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 699; }, 2000));
    const QRect narrow = window->UserList().geometry();
    window->resize(700, 450);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 700; }, 2000));
    const QRect wide = window->UserList().geometry();
    EXPECT_EQ(wide.bottom() - narrow.bottom(), 19);
    EXPECT_EQ(wide.x(), 700 - 145);
    const int h = 450 - window->StatusHeight();
    EXPECT_EQ(window->CurrentView()->geometry(), QRect(5, 30, 700 - 158, h - 89));
    EXPECT_EQ(window->Input().geometry(), QRect(5, h - 55, 700 - 208, 32));
    EXPECT_EQ(window->SendButton().geometry().topLeft(), QPoint(700 - 202, h - 55));
}

TEST_F(MainWindowTest, frame_cannot_be_dragged_below_563_by_240) {
    Build();
    window->show();
    window->resize(300, 100);
    QTest::qWait(0);
    EXPECT_GE(window->frameGeometry().width(), 563);
    EXPECT_GE(window->frameGeometry().height(), 240);
    EXPECT_LE(window->maximumSize().width(), 2048);
}

TEST_F(MainWindowTest, return_sends_and_shift_return_inserts_a_line_break) {
    Build();
    Record(cmd::kSend, cmd::kSend);
    MessageField& input = window->Input();
    QTest::keyClicks(&input, "hi");
    QTest::keyClick(&input, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&input, "there");
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(input.toPlainText(), QStringLiteral("hi\nthere"));
    QTest::keyClick(&input, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(&input, Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(events.empty());
    QTest::keyClick(&input, Qt::Key_Return);
    QTest::keyClick(&input, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(events, std::vector<int>({cmd::kSend, cmd::kSend}));
}

TEST_F(MainWindowTest, send_button_sends) {
    Build();
    Record(cmd::kSend, cmd::kSend);
    QTest::mouseClick(&window->SendButton(), Qt::LeftButton);
    EXPECT_EQ(events, std::vector<int>({cmd::kSend}));
}

TEST_F(MainWindowTest, shortcuts_match_the_exact_modifiers) {
    Build();
    ShowActive();
    MessageField& input = window->Input();
    QTest::keyClick(&input, Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(&input, Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(&input, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(&input, Qt::Key_1, Qt::AltModifier);
    QTest::keyClick(&input, Qt::Key_0, Qt::AltModifier);
    QTest::keyClick(&input, Qt::Key_Q, Qt::AltModifier);
    // Only Main exists: Alt+2 selects nothing.
    QTest::keyClick(&input, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(events, std::vector<int>({cmd::kAbout, cmd::kSpawnTopic, cmd::kLastEmoticonAgain,
                                        cmd::kSelectTabBase, cmd::kSelectPrivateTab, cmd::kQuit}));
}

TEST_F(MainWindowTest, alt_q_does_nothing_in_service_mode) {
    state.ServiceMode = true;
    Build();
    ShowActive();
    QTest::keyClick(&window->Input(), Qt::Key_Q, Qt::AltModifier);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(window->Shortcuts().Find(QKeySequence(QStringLiteral("Alt+Q"))), nullptr);
}

TEST_F(MainWindowTest, per_user_shortcuts_follow_the_enabled_actions) {
    Build();
    ShowActive();
    ShowRows(0);
    QTest::keyClick(&window->Input(), Qt::Key_W, Qt::AltModifier);
    QTest::keyClick(&window->Input(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(events.empty());
    chat::UserActions actions;
    actions.whisper = true;
    actions.details = true;
    window->SetUserActions(actions);
    QTest::keyClick(&window->Input(), Qt::Key_W, Qt::AltModifier);
    QTest::keyClick(&window->Input(), Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(&window->Input(), Qt::Key_T, Qt::AltModifier);  // transfer still off
    EXPECT_EQ(events, std::vector<int>({cmd::kWhisperToRowBase, cmd::kDetailsRowBase}));
}

TEST_F(MainWindowTest, shift_turns_whisper_transfer_and_reject_into_group_commands) {
    Build();
    ShowActive();
    QTest::keyClick(&window->Input(), Qt::Key_W, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(&window->Input(), Qt::Key_R, Qt::AltModifier | Qt::ShiftModifier);
    window->Dispatch(cmd::kTransfer, Qt::ShiftModifier);
    EXPECT_EQ(events,
              std::vector<int>({cmd::kGroupWhisper, cmd::kGroupReject, cmd::kGroupTransfer}));
}

TEST_F(MainWindowTest, tool_bar_buttons_act_on_the_selected_row) {
    Build();
    ShowRows(1);
    window->SetUserActions({true, true, true, true, true});
    window->ToolBar().ButtonAction(cmd::kTransfer)->trigger();
    window->ToolBar().ButtonAction(cmd::kReject)->trigger();
    window->ToolBar().ButtonAction(cmd::kUserDetail)->trigger();
    window->ToolBar().ButtonAction(cmd::kPreferences)->trigger();
    EXPECT_EQ(events, std::vector<int>({cmd::kTransferToRowBase + 1, cmd::kRejectRowBase + 1,
                                        cmd::kDetailsRowBase + 1, cmd::kPreferences}));
    // The Reject button's pressed state follows the model, not the click.
    EXPECT_TRUE(window->ToolBar().ButtonAction(cmd::kReject)->isChecked());
}

TEST_F(MainWindowTest, tool_bar_buttons_are_grey_when_their_action_is_off) {
    Build();
    window->SetUserActions({true, false, false, true, false});
    const UserToolBar& bar = window->ToolBar();
    EXPECT_TRUE(bar.ButtonAction(cmd::kUserDetail)->isEnabled());
    EXPECT_FALSE(bar.ButtonAction(cmd::kReject)->isEnabled());
    EXPECT_TRUE(bar.ButtonAction(cmd::kWhisper)->isEnabled());
    EXPECT_FALSE(bar.ButtonAction(cmd::kTransfer)->isEnabled());
    EXPECT_TRUE(bar.ButtonAction(cmd::kPreferences)->isEnabled());
    EXPECT_EQ(
        bar.ButtonAction(cmd::kWhisper)->toolTip().contains(QStringLiteral("Whisper  [Alt+W]")),
        true);
}

TEST_F(MainWindowTest, commands_are_routed_by_number_and_unhandled_ones_reach_the_fallback) {
    Build();
    std::vector<int> handled;
    window->Commands().SetHandler(cmd::kTopicInfo, [&](int event) { handled.push_back(event); });
    window->Commands().SetRangeHandler(cmd::kCloseTopicBase + 1, cmd::kCloseTopicBase + 3,
                                       [&](int event) { handled.push_back(event); });
    window->Dispatch(cmd::kTopicInfo);
    window->Dispatch(cmd::kCloseTopicBase + 2);
    window->Dispatch(cmd::kFindText);
    EXPECT_EQ(handled, std::vector<int>({cmd::kTopicInfo, cmd::kCloseTopicBase + 2}));
    EXPECT_EQ(events, std::vector<int>({cmd::kFindText}));
}

TEST_F(MainWindowTest, unhandled_command_shows_a_not_available_notice) {
    Build();
    window->Commands().SetFallback({});
    MainWindow& built = *window;
    // The default fallback of a fresh window.
    auto fresh = test::MakeWindow(state);
    fresh->Dispatch(cmd::kAbout);
    const auto boxes = fresh->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.front()->text().contains(QStringLiteral("not available yet")));
    EXPECT_FALSE(boxes.front()->isModal());
    built.Dispatch(cmd::kAbout);  // no fallback: nothing happens
    EXPECT_TRUE(built.findChildren<QMessageBox*>().isEmpty());
}

TEST_F(MainWindowTest, double_click_on_a_row_asks_for_the_whisper_prefix_of_that_row) {
    Build();
    ShowRows(-1);
    UserListWidget& list = window->UserList();
    emit list.itemDoubleClicked(list.topLevelItem(1), 0);
    EXPECT_EQ(events, std::vector<int>({cmd::kWhisperToRowBase + 1}));
}

TEST_F(MainWindowTest, tick_all_and_untick_all_report_each_changed_row) {
    Build();
    std::vector<std::pair<int, bool>> ticks;
    window->SetUserTickHandler([&](int row, bool ticked) { ticks.emplace_back(row, ticked); });
    ShowRows(-1);
    window->Dispatch(cmd::kTickAll);
    EXPECT_TRUE(window->UserList().IsTicked(0));
    EXPECT_TRUE(window->UserList().IsTicked(1));
    window->Dispatch(cmd::kUntickAll);
    EXPECT_EQ(ticks,
              (std::vector<std::pair<int, bool>>{{0, true}, {1, true}, {0, false}, {1, false}}));
}

TEST_F(MainWindowTest, right_click_on_the_user_list_without_selection_gives_the_field_menu) {
    Build();
    window->show();
    ShowRows(-1);
    const QRect list = window->UserList().geometry();
    const QPoint inRows = list.center();
    MainWindow::Popup popup = window->PopupAt(inRows);
    EXPECT_EQ(popup.region, ContextRegion::Elsewhere);
    ASSERT_NE(popup.menu, nullptr);
    EXPECT_EQ(popup.menu->actions().front()->text(), QStringLiteral("User Details"));

    ShowRows(0);
    popup = window->PopupAt(inRows);
    EXPECT_EQ(popup.region, ContextRegion::UserList);
    ASSERT_NE(popup.menu, nullptr);
    EXPECT_EQ(popup.menu->actions().front()->text(), QStringLiteral("User &Details ann\tAlt+D"));
}

TEST_F(MainWindowTest, right_click_regions_open_the_tab_and_text_view_menus) {
    Build();
    window->show();
    const MainWindow::Popup tabs = window->PopupAt(window->Tabs().Bar().geometry().center());
    EXPECT_EQ(tabs.region, ContextRegion::TabBar);
    EXPECT_EQ(tabs.menu->actions().front()->data().toInt(), cmd::kTopicInfo);
    const MainWindow::Popup view = window->PopupAt(window->CurrentView()->geometry().center());
    EXPECT_EQ(view.region, ContextRegion::TextView);
    EXPECT_EQ(view.menu->actions().front()->data().toInt(), cmd::kFindText);
}

TEST_F(MainWindowTest, right_click_on_a_tool_button_runs_its_group_variant) {
    Build();
    window->show();
    UserToolBar& bar = window->ToolBar();
    for (const int button : {cmd::kWhisper, cmd::kTransfer, cmd::kReject, cmd::kPreferences}) {
        const QRect place = bar.actionGeometry(bar.ButtonAction(button));
        const MainWindow::Popup popup = window->PopupAt(bar.mapTo(window.get(), place.center()));
        EXPECT_EQ(popup.region, ContextRegion::UserToolBar);
        EXPECT_EQ(popup.menu, nullptr);
    }
    EXPECT_EQ(events,
              std::vector<int>({cmd::kGroupWhisper, cmd::kGroupTransfer, cmd::kGroupReject}));
}

TEST_F(MainWindowTest, a_real_context_menu_event_from_a_child_reaches_the_window) {
    Build();
    window->show();
    // A context-menu request on the message field travels up to the window, which opens its
    // popup; the popup is closed again at once.
    QTimer::singleShot(0, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                              window->Input().mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->Input().viewport(), &request);
    EXPECT_TRUE(request.isAccepted());
}

TEST_F(MainWindowTest, close_button_asks_to_quit_unless_close_minimises) {
    Build();
    window->show();
    window->close();
    EXPECT_EQ(events, std::vector<int>({cmd::kQuit}));
    EXPECT_TRUE(window->isVisible());
    state.QuitRequested = true;
    window->close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, close_in_service_mode_does_not_quit) {
    state.ServiceMode = true;
    state.settings.MinimizeToTray = 0;
    Build();
    window->show();
    state.WindowShown = true;
    window->close();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(state.WindowShown);
}

TEST_F(MainWindowTest, close_with_close_min_goes_to_the_tray_or_minimises_without_one) {
    state.settings.CloseMin = 1;
    state.settings.MinimizeToTray = 1;
    Build();
    int minimised = 0;
    window->SetMinimizedHandler([&] { ++minimised; });
    window->show();
    window->close();
    // No tray: the window must stay reachable, so it is minimised, not hidden.
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 2000));
    EXPECT_FALSE(state.WindowShown);
    EXPECT_GE(minimised, 1);

    window->showNormal();
    window->SetTrayAvailable(true);
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
    EXPECT_TRUE(events.empty());
}

TEST_F(MainWindowTest, balloon_tips_off_leaves_only_the_tool_bar_tips) {
    state.settings.BalloonTips = 1;
    Build();
    EXPECT_TRUE(window->Input().toolTip().isEmpty());
    EXPECT_TRUE(window->SendButton().toolTip().isEmpty());
    EXPECT_TRUE(window->UserList().toolTip().isEmpty());
    EXPECT_TRUE(window->Tabs().Bar().toolTip().isEmpty());
    EXPECT_TRUE(window->Status().toolTip().isEmpty());
    EXPECT_TRUE(window->View(app::control::kMainView).toolTip().isEmpty());
    EXPECT_FALSE(window->ToolBar().ButtonAction(cmd::kWhisper)->toolTip().isEmpty());
}

TEST_F(MainWindowTest, balloon_tips_on_describe_the_controls) {
    Build();
    EXPECT_TRUE(window->Input().toolTip().contains(QStringLiteral("Message Field")));
    EXPECT_TRUE(
        window->View(app::control::kPrivateView).toolTip().contains(QStringLiteral("Sissy Mode")));
    EXPECT_TRUE(window->View(app::control::kMainView)
                    .toolTip()
                    .contains(QStringLiteral("Chat Text Archive")));
    // A topic view made later gets the same tip as Main.
    EXPECT_TRUE(window->View(502).toolTip().contains(QStringLiteral("Chat Text Archive")));
    EXPECT_TRUE(window->Status().toolTip().contains(QStringLiteral("Statusbar Info")));
}

TEST_F(MainWindowTest, tab_switch_by_the_user_is_reported_and_core_selection_is_not) {
    Build();
    std::vector<int> switches;
    window->SetTabSwitchHandler([&](int position) { switches.push_back(position); });
    window->TabInserted(1, "Topic A", 501);
    window->TabSelected(1, 501);
    EXPECT_TRUE(switches.empty());
    EXPECT_EQ(window->Tabs().CurrentViewNumber(), 501);
    EXPECT_TRUE(window->View(501).isVisibleTo(window.get()));
    EXPECT_FALSE(window->View(500).isVisibleTo(window.get()));
    EXPECT_EQ(window->View(501).geometry(), window->CurrentRects().textView);
    window->Tabs().Bar().setCurrentIndex(0);
    EXPECT_EQ(switches, std::vector<int>({0}));
}

TEST_F(MainWindowTest, tab_shortcuts_exist_only_while_their_tab_does) {
    Build();
    const auto alt = [](const char* keys) { return QKeySequence(QString::fromLatin1(keys)); };
    EXPECT_TRUE(window->Shortcuts().IsEnabled(alt("Alt+1")));
    EXPECT_FALSE(window->Shortcuts().IsEnabled(alt("Alt+2")));
    window->TabInserted(1, "Topic A", 501);
    EXPECT_TRUE(window->Shortcuts().IsEnabled(alt("Alt+2")));
    window->TabInserted(2, "Private Group", 504);
    EXPECT_FALSE(window->Shortcuts().IsEnabled(alt("Alt+3")));
    EXPECT_TRUE(window->Shortcuts().IsEnabled(alt("Alt+0")));
    window->TabRemoved(1);
    EXPECT_FALSE(window->Shortcuts().IsEnabled(alt("Alt+2")));
}

TEST_F(MainWindowTest, status_fields_have_the_fixed_widths) {
    Build();
    window->Status().SetField(chat::StatusField::Uptime, QStringLiteral("Running: 0d00h00m01s"));
    window->Status().SetField(chat::StatusField::ServerMessage, QStringLiteral("hello"));
    EXPECT_EQ(window->Status().Field(chat::StatusField::Uptime),
              QStringLiteral("Running: 0d00h00m01s"));
    EXPECT_EQ(window->Status().Field(chat::StatusField::ServerMessage), QStringLiteral("hello"));
    EXPECT_EQ(StatusBar::kFieldWidths, (std::array<int, 4>{130, 120, 60, 1000}));
}

TEST_F(MainWindowTest, emoticon_bar_sits_in_its_holder_above_the_status_bar) {
    Build();
    window->show();
    QToolBar bar;
    bar.addAction(QStringLiteral(":-)"));
    window->InstallEmoticonBar(bar);
    window->resize(800, 500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 800; }, 2000));
    const QRect holder = window->EmoticonHolder().geometry();
    EXPECT_EQ(holder.topLeft(), QPoint(2, 500 - window->StatusHeight() - 23));
    EXPECT_EQ(holder.size(), bar.sizeHint());
    EXPECT_EQ(bar.parentWidget(), &window->EmoticonHolder());
    bar.setParent(nullptr);  // the test owns the bar
}

TEST(GroupVariant, shift_turns_row_items_into_group_items) {
    EXPECT_EQ(GroupVariant(cmd::kWhisperToRowBase + 3, Qt::ShiftModifier), cmd::kGroupWhisper);
    EXPECT_EQ(GroupVariant(cmd::kTransferToRowBase, Qt::ShiftModifier), cmd::kGroupTransfer);
    EXPECT_EQ(GroupVariant(cmd::kRejectRowBase + 999, Qt::ShiftModifier), cmd::kGroupReject);
    EXPECT_EQ(GroupVariant(cmd::kDetailsRowBase + 1, Qt::ShiftModifier), cmd::kDetailsRowBase + 1);
    EXPECT_EQ(GroupVariant(cmd::kWhisperToRowBase + 3, Qt::NoModifier), cmd::kWhisperToRowBase + 3);
}

}  // namespace
}  // namespace talvoro::ui
