#include "ui/about_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"

namespace talvoro::ui {
namespace {

// The open About box; it is a window of its own, since the disabled main window would disable it.
AboutBox* OpenAboutBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<AboutBox*>(widget)) {
            return box;
        }
    }
    return nullptr;
}

TEST(AboutBox, opens_once_over_the_disabled_window_and_goes_with_its_worker_in_every_way) {
    app::ProcessState state;
    auto window = std::make_unique<MainWindow>(state, EmbeddedImages(), MainWindowSetup{});
    window->Dispatch(app::cmd::kAbout);
    AboutBox* box = OpenAboutBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(window->isEnabled());
    window->Dispatch(app::cmd::kAbout);  // its worker still runs: no second box
    EXPECT_EQ(OpenAboutBox(), box);

    QTest::keyClick(box, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(OpenAboutBox(), nullptr);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !window->Workers().Busy(app::slot::kAboutBox); }, 5000));

    window->Dispatch(app::cmd::kAbout);
    ASSERT_NE(OpenAboutBox(), nullptr);
    window.reset();  // joins the worker, then takes the box along
    EXPECT_EQ(OpenAboutBox(), nullptr);
}

}  // namespace
}  // namespace talvoro::ui
