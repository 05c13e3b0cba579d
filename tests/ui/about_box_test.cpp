#include "ui/about_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <memory>

#include "app/identifiers.h"
#include "app/process_state.h"
#include "support/qt_app.h"
#include "ui/images.h"
#include "ui/main_window.h"

namespace talvoro::ui {
namespace {

TEST(AboutBox, animates_from_its_worker_while_the_window_waits_and_escape_closes_it) {
    test::QtApp();
    ImageStore images;
    RegisterEmbeddedImages(images);
    app::ProcessState state;
    MainWindow window(state, images, MainWindowSetup{});
    window.Dispatch(app::cmd::kAbout);

    AboutBox* box = window.findChild<AboutBox*>();  // not a child: the window would disable it
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        box = box != nullptr ? box : qobject_cast<AboutBox*>(widget);
    }
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(box->VersionLine().startsWith(QStringLiteral("Version 1.6.0.0, ")));
    EXPECT_EQ(box->size(), QSize(260, 220));
    const int startY = box->LeftPicture().y();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->LeftPicture().y() != startY; }, 5000));
    EXPECT_TRUE(window.Workers().Busy(app::slot::kAboutBox));

    QTest::keyClick(box, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !window.Workers().Busy(app::slot::kAboutBox); }, 5000));
}

TEST(AboutBox, goes_with_the_main_window_and_its_worker_is_stopped) {
    test::QtApp();
    ImageStore images;
    RegisterEmbeddedImages(images);
    app::ProcessState state;
    auto window = std::make_unique<MainWindow>(state, images, MainWindowSetup{});
    window->Dispatch(app::cmd::kAbout);
    window->Dispatch(app::cmd::kAbout);  // its worker still runs: no second box
    const auto aboutBoxes = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            count += qobject_cast<AboutBox*>(widget) != nullptr ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(aboutBoxes(), 1);
    window.reset();  // joins the worker, then takes the box along
    EXPECT_EQ(aboutBoxes(), 0);
}

}  // namespace
}  // namespace talvoro::ui
