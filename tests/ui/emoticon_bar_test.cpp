#include "ui/emoticon_bar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTextCursor>

#include "support/qt_app.h"
#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/message_field.h"

namespace talvoro::ui {
namespace {

namespace cmd = app::cmd;

TEST(EmoticonBar, insertion_adds_blanks_where_needed_and_puts_the_caret_behind_the_code) {
    struct Case {
        QString text;
        int caret;
        int button;
        QString result;
        int resultCaret;
    };
    test::QtApp();
    const Case cases[] = {
        {"", 0, cmd::kFirstEmoticon, ":-)", 3},
        {"hi", 2, cmd::kFirstEmoticon, "hi :-)", 6},
        {"ab", 1, 179, "a B-) b", 6},     // the caret in front of the b
        {"a  b", 2, 194, "a :\") b", 5},  // blanks on both sides already
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result.toStdString());
        MessageField field;
        field.setPlainText(c.text);
        QTextCursor cursor = field.textCursor();
        cursor.setPosition(c.caret);
        field.setTextCursor(cursor);
        InsertEmoticon(field, c.button);
        EXPECT_EQ(field.toPlainText(), c.result);
        EXPECT_EQ(field.textCursor().position(), c.resultCaret);
    }
}

TEST(EmoticonBar, bar_buttons_and_ctrl_e_insert_into_the_main_windows_message_field) {
    app::ProcessState state;
    MainWindow window(state, EmbeddedImages(), MainWindowSetup{});
    auto* bar = window.findChild<EmoticonBar*>();
    ASSERT_NE(bar, nullptr);

    window.Dispatch(cmd::kLastEmoticonAgain);  // before any click: Happy
    bar->ButtonAction(179)->trigger();
    window.Dispatch(cmd::kLastEmoticonAgain);
    EXPECT_EQ(window.Input().toPlainText(), QStringLiteral(":-) B-) B-)"));
    EXPECT_EQ(state.LastEmoticon, 179);
}

}  // namespace
}  // namespace talvoro::ui
