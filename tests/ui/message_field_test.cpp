#include "ui/message_field.h"

#include <gtest/gtest.h>

#include <QTest>

#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

class MessageFieldTest : public ::testing::Test {
  protected:
    QApplication& app = talvoro::test::QtApp();  // before any widget
    MessageField field;
};

TEST_F(MessageFieldTest, holds_at_most_980_characters_and_refuses_the_rest) {
    field.SetText(QString(979, QLatin1Char('a')));
    QTest::keyClicks(&field, "bcd");
    EXPECT_EQ(field.toPlainText().size(), 980);
    EXPECT_TRUE(field.toPlainText().endsWith(QLatin1Char('b')));
    field.SetText(QString(1200, QLatin1Char('x')));
    EXPECT_EQ(field.toPlainText().size(), 980);
    field.setPlainText(QString(1100, QLatin1Char('y')));
    EXPECT_EQ(field.toPlainText(), QString(980, QLatin1Char('y')));
}

TEST_F(MessageFieldTest, text_typed_in_the_middle_of_a_full_field_is_refused) {
    field.SetText(QStringLiteral("ab") + QString(978, QLatin1Char('z')));
    QTextCursor cursor = field.textCursor();
    cursor.setPosition(1);
    field.setTextCursor(cursor);
    QTest::keyClick(&field, Qt::Key_Q);
    EXPECT_EQ(field.toPlainText().left(3), QStringLiteral("abz"));
    EXPECT_EQ(field.toPlainText().size(), 980);
}

TEST_F(MessageFieldTest, set_text_puts_the_caret_at_the_end) {
    field.SetText(QStringLiteral("@@bob: hello"));
    EXPECT_EQ(field.textCursor().position(), 12);
}

TEST_F(MessageFieldTest, return_without_a_handler_changes_nothing) {
    field.SetText(QStringLiteral("x"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.toPlainText(), QStringLiteral("x"));
}

}  // namespace
}  // namespace talvoro::ui
