#include "ui/emoticon_bar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTextCursor>

#include "ui/embedded_images.h"
#include "ui/identifiers.h"
#include "ui/main_window.h"
#include "ui/message_field.h"

namespace talvoro::ui {
namespace {

namespace cmd = app::cmd;

// Each code goes in at the caret, with a blank between it and the text around it, and the caret
// behind it.
TEST(EmoticonBar, bar_buttons_and_ctrl_e_insert_into_the_main_windows_message_field) {
    app::ProcessState state;
    MainWindow window(state, EmbeddedImages(), MainWindowSetup{});
    auto* bar = window.findChild<EmoticonBar*>();
    ASSERT_NE(bar, nullptr);
    window.Input().setPlainText(QStringLiteral("ab"));
    QTextCursor caret = window.Input().textCursor();
    caret.setPosition(1);
    window.Input().setTextCursor(caret);
    window.Dispatch(cmd::kLastEmoticonAgain);  // before any click: Happy
    bar->ButtonAction(179)->trigger();
    window.Dispatch(cmd::kLastEmoticonAgain);
    EXPECT_EQ(window.Input().toPlainText(), QStringLiteral("a :-) B-) B-) b"));
    EXPECT_EQ(state.LastEmoticon, 179);
}

}  // namespace
}  // namespace talvoro::ui
