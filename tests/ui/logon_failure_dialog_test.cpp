#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "support/qt_app.h"
#include "ui/connection_failure_dialog.h"

namespace talvoro::ui {
namespace {

struct FailureDialogFixture : ::testing::Test {
    void SetUp() override {
        test::QtApp();
        dialog = std::make_unique<ConnectionFailureDialog>("bob", "chat.example", 1805);
        dialog->show();
    }
    std::unique_ptr<ConnectionFailureDialog> dialog;
};

TEST_F(FailureDialogFixture, names_user_host_and_port) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("bob Found No TalvoroServer"));
    auto* text = dialog->findChild<QLabel*>(QStringLiteral("failureText"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("Connecting to host *chat.example:1805* failed."));
    auto* advice = dialog->findChild<QLabel*>(QStringLiteral("adviceText"));
    ASSERT_NE(advice, nullptr);
    EXPECT_TRUE(advice->text().startsWith(QStringLiteral("Press <Retry> to try again")));
    EXPECT_EQ(advice->textFormat(), Qt::PlainText) << "the <...> words must show literally";
}

TEST_F(FailureDialogFixture, enter_retries) {
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Choice(), FailureChoice::Retry);
}

TEST_F(FailureDialogFixture, escape_cancels) {
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Choice(), FailureChoice::Cancel);
}

TEST_F(FailureDialogFixture, alt_s_starts_the_server) {
    // Shortcuts go to the active window only.
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_S, Qt::AltModifier);
    // A mnemonic presses the button visibly first: the click follows a moment later.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog->isVisible(); }, 5000));
    EXPECT_EQ(dialog->Choice(), FailureChoice::StartServer);
}

}  // namespace
}  // namespace talvoro::ui
