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

// The default settings: flash on a message, minimise to the tray, no "ShowOnMessage"; the window
// starts hidden, so the first toggle shows it.
class TrayPolicyTest : public ::testing::Test {
  protected:
    const ImageStore& images = EmbeddedImages();  // and the application, before the widgets
    app::ProcessState state;
    MainWindow window{state, images, MainWindowSetup{}};
    TrayIcon tray{images, {}, {}};
    int alerts = 0;
    WindowFlash flash{window, images, [this](QWidget&) { ++alerts; }};
    TrayPolicy policy{state, window, tray, flash};
};

// The tray blinks only while the window is not shown, a message waits, and more than two frames
// (the logon's own) were processed; the next toggle ends it. "ShowOnMessage" instead brings the
// window up.
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
    policy.Tick();
    EXPECT_EQ(tray.Image(), app::image::kTrayBlink);
    policy.ToggleMainWindow();
    EXPECT_TRUE(state.WindowShown);
    EXPECT_FALSE(policy.ShownByMessage());
    EXPECT_EQ(tray.Image(), app::image::kTrayNormal);
    policy.Tick();
    EXPECT_EQ(tray.Image(), app::image::kTrayNormal);

    state.settings.ShowOnMessage = 1;
    policy.ToggleMainWindow();
    ASSERT_FALSE(state.WindowShown);
    policy.OnNewContent({});
    EXPECT_TRUE(state.WindowShown);
    EXPECT_FALSE(policy.ShownByMessage());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible() && !window.isMinimized(); }, 2000));
}

// A shown window flashes once for a burst of messages, and again once that flash has ended by
// itself. The desktop's own minimise and restore keep "shown" true to what the user sees.
TEST_F(TrayPolicyTest, shown_window_flashes_and_desktop_minimise_and_restore_follow_the_window) {
    state.settings.MinimizeToTray = 0;
    policy.ToggleMainWindow();
    ASSERT_TRUE(state.WindowShown);
    policy.OnNewContent({});
    policy.OnNewContent({});
    EXPECT_EQ(alerts, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !flash.Running(); }, 5000));
    policy.OnNewContent({});
    EXPECT_EQ(alerts, 2);
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
