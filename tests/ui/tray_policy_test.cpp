// How a new message announces itself and how the window is shown and hidden, on a real window
// (offscreen, so without a tray: hiding minimises).

#include "ui/tray_policy.h"

#include <gtest/gtest.h>

#include <QTest>

#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"
#include "ui/window_flash.h"

namespace talvoro::ui {
namespace {

class TrayPolicyTest : public ::testing::Test {
  protected:
    TrayPolicyTest() {
        state.settings.UserName = "bob";
        state.settings.Host = "chathost";
        state.settings.Port = 1805;
        state.settings.ShowOnMessage = 0;
        state.settings.FlashOnMessage = 1;
        state.settings.MinimizeToTray = 1;
        state.WindowShown = false;  // the first toggle shows the window
    }

    const ImageStore& images = EmbeddedImages();  // and the application, before the widgets
    app::ProcessState state;
    MainWindow window{state, images, MainWindowSetup{}};
    TrayIcon tray{images, {}, {}};
    int alerts = 0;
    WindowFlash flash{window, images, [this](QWidget&) { ++alerts; }};
    TrayPolicy policy{state, window, tray, flash};
};

TEST_F(TrayPolicyTest, two_messages_while_shown_flash_once_and_a_flash_ends_by_itself) {
    policy.ToggleMainWindow();
    ASSERT_TRUE(state.WindowShown);
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Talvoro (Client)\nbob@chathost:1805"));
    policy.OnNewContent({});
    policy.OnNewContent({});
    EXPECT_EQ(alerts, 1);
    EXPECT_FALSE(policy.ShownByMessage());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !flash.Running(); }, 5000));
    policy.OnNewContent({});
    EXPECT_EQ(alerts, 2);
}

// The tray blinks only while the window is not shown, a message waits, and more than two frames
// were processed; each tick swaps the picture; the next toggle ends it. "ShowOnMessage" instead
// brings the window up.
TEST_F(TrayPolicyTest,
       hidden_window_blinks_the_tray_after_two_frames_or_comes_up_on_show_on_message) {
    policy.ToggleMainWindow();
    policy.ToggleMainWindow();
    ASSERT_FALSE(state.WindowShown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }, 2000));  // no tray here
    state.MessageCount = 2;
    policy.OnNewContent({0, "alice", "Main"});
    EXPECT_TRUE(policy.ShownByMessage());
    EXPECT_EQ(alerts, 0);
    policy.Tick();
    EXPECT_EQ(tray.Image(), app::image::kTrayNormal);
    state.MessageCount = 3;
    const int pictures[] = {app::image::kTrayBlink, app::image::kTrayNormal,
                            app::image::kTrayBlink};
    for (const int picture : pictures) {
        policy.Tick();
        EXPECT_EQ(tray.Image(), picture);
    }
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Talvoro\nNew Message(s) Arrived!"));
    policy.ToggleMainWindow();
    EXPECT_TRUE(state.WindowShown);
    EXPECT_FALSE(policy.ShownByMessage());
    EXPECT_EQ(tray.Image(), app::image::kTrayNormal);
    policy.Tick();
    EXPECT_EQ(tray.Image(), app::image::kTrayNormal);
    // With "ShowOnMessage" a message brings the hidden window up instead.
    state.settings.ShowOnMessage = 1;
    policy.ToggleMainWindow();
    ASSERT_FALSE(state.WindowShown);
    policy.OnNewContent({});
    EXPECT_TRUE(state.WindowShown);
    EXPECT_FALSE(policy.ShownByMessage());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible() && !window.isMinimized(); }, 2000));
}

// The desktop's own minimise and restore keep "shown" true to what the user sees.
TEST_F(TrayPolicyTest, desktop_minimise_and_restore_follow_the_window) {
    state.settings.MinimizeToTray = 0;
    policy.ToggleMainWindow();
    state.MessageCount = 5;
    window.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.WindowShown; }, 2000));
    policy.OnNewContent({});
    EXPECT_TRUE(policy.ShownByMessage());
    window.showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state.WindowShown; }, 2000));
    EXPECT_FALSE(policy.ShownByMessage());
    // With "MinimizeToTray" off the toggle leaves a shown window where it is.
    policy.ToggleMainWindow();
    EXPECT_FALSE(state.WindowShown);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

}  // namespace
}  // namespace talvoro::ui
